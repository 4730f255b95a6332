#include "timestampsdialog.h"

#include "entryreader.h"
#include "timetext.h"
#include "ui_timestampsdialog.h"

#include <QDebug>
#include <QLocale>

TimestampsDialog::TimestampsDialog(const EntryReader &entries, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TimestampsDialog>())
    , m_entries(entries)
{
    m_ui->setupUi(this);
    QHeaderView *header = m_ui->timestamps->header();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int column = 2; column < 5; ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

TimestampsDialog::~TimestampsDialog() = default;

void TimestampsDialog::load()
{
    qDebug() << "init with: date: " << day << ", apppath: " << appPath << ", apptitle: " << title;
    m_ui->timestamps->clear();
    m_ui->labelDate->setText(QLocale::system().toString(day, QLocale::LongFormat));
    const QString clock = QStringLiteral("hh:mm:ss");
    const QList<EntryRow> rows = m_entries.dayStretches(day, appPath, title);
    for (const EntryRow &row : rows) {
        auto *item = new QTreeWidgetItem(m_ui->timestamps, {row.appName, row.title, row.start.toString(clock),
                                                            row.end.toString(clock), formatDuration(row.seconds())});
        item->setIcon(0, look.icon(row.appPath));
    }
}
