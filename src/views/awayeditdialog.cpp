#include "awayeditdialog.h"

#include "entryreader.h"
#include "timetext.h"
#include "ui_awayeditdialog.h"

AwayEditDialog::AwayEditDialog(const EntryReader &entries, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AwayEditDialog>())
    , m_entries(entries)
{
    m_ui->setupUi(this);
    m_ui->listPresets->insertItem(0, tr("On the phone"));
    m_ui->listPresets->insertItem(1, tr("Meeting"));
    m_ui->listPresets->insertItem(2, tr("Lunch"));
}

AwayEditDialog::~AwayEditDialog() = default;

void AwayEditDialog::load()
{
    const QList<EntryRow> rows = m_entries.entriesById(entryIds);
    EntryRow last;
    qint64 total = 0;
    for (const EntryRow &row : rows) {
        last = row;
        total += row.seconds();
    }
    const QString clock = QStringLiteral("hh:mm:ss");
    m_ui->editDescription->setText(last.title);
    m_ui->labelStartTime->setText(last.start.toString(clock));
    m_ui->labelEndTime->setText(last.end.toString(clock));
    m_ui->labelDuration->setText(formatDuration(total));
    m_ui->widgetTimes->setVisible(rows.size() <= 1);
    m_ui->editDescription->selectAll();
    m_ui->editDescription->setFocus();
}

QString AwayEditDialog::description() const
{
    return m_ui->editDescription->text();
}

void AwayEditDialog::on_listPresets_currentRowChanged(int currentRow)
{
    if (QListWidgetItem *item = m_ui->listPresets->item(currentRow)) {
        m_ui->editDescription->setText(item->text());
    }
}
