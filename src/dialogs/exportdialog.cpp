#include "exportdialog.h"

#include "daterangepicker.h"
#include "messagebox.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

ExportDialog::ExportDialog(const QDate &selectedDay, Clock *clock, QWidget *parent)
    : QDialog(parent)
    , m_range(new DateRangePicker(clock, this))
    , m_csv(new QRadioButton(tr("&CSV", "file format"), this))
    , m_json(new QRadioButton(tr("&JSON", "file format"), this))
    , m_path(new QLineEdit(this))
{
    setWindowTitle(tr("Export Time Entries"));
    m_range->setSelectedDay(selectedDay);
    m_csv->setChecked(true);
    m_path->setObjectName(QStringLiteral("editPath"));

    auto *formats = new QHBoxLayout;
    formats->addWidget(m_csv);
    formats->addWidget(m_json);
    formats->addStretch();
    auto *file = new QHBoxLayout;
    file->addWidget(m_path, 1);
    auto *browseButton = new QPushButton(tr("&Browse…"), this);
    file->addWidget(browseButton);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Export"));

    auto *form = new QFormLayout(this);
    form->addRow(tr("&Days:"), m_range);
    form->addRow(tr("Format:"), formats);
    auto *fileLabel = new QLabel(tr("F&ile:"), this);
    fileLabel->setBuddy(m_path);
    form->addRow(fileLabel, file);
    form->addRow(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &ExportDialog::browse);
    connect(m_range, &DateRangePicker::rangeChanged, this, &ExportDialog::proposePath);
    connect(m_json, &QRadioButton::toggled, this, &ExportDialog::proposePath);
    connect(m_path, &QLineEdit::textEdited, this, [this] { m_pathEdited = true; });
    proposePath();
}

void ExportDialog::proposePath()
{
    if (m_pathEdited) {
        return;
    }
    const QString folder = m_path->text().isEmpty() ? QDir::homePath() : QFileInfo(m_path->text()).absolutePath();
    const QString from = m_range->from().toString(Qt::ISODate);
    const QString to = m_range->to().toString(Qt::ISODate);
    const QString name = QStringLiteral("tavrodesk-") + (from == to ? from : from + QLatin1Char('_') + to) +
                         (m_json->isChecked() ? QStringLiteral(".json") : QStringLiteral(".csv"));
    m_path->setText(QDir(folder).filePath(name));
}

void ExportDialog::browse()
{
    const QString chosen = QFileDialog::getSaveFileName(this, tr("Export Time Entries"), m_path->text(),
                                                        m_json->isChecked() ? tr("JSON (*.json)") : tr("CSV (*.csv)"));
    if (!chosen.isEmpty()) {
        m_path->setText(chosen);
        m_pathEdited = true;
    }
}

void ExportDialog::getData()
{
    dateFrom = m_range->from();
    dateTo = m_range->to();
    json = m_json->isChecked();
    path = m_path->text().trimmed();
}

void ExportDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        QString problem;
        if (m_range->to() < m_range->from()) {
            problem = tr("The range ends before it starts.");
        } else if (m_path->text().trimmed().isEmpty()) {
            problem = tr("Choose a file to export to.");
        }
        if (!problem.isEmpty()) {
            MessageBox::critical(this, tr("Validation Error"), problem);
            return;
        }
    }
    QDialog::done(result);
}
