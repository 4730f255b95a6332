#include "applicationpathdialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ApplicationPathDialog::ApplicationPathDialog(QWidget *parent)
    : QDialog(parent)
    , m_edit(new QLineEdit(this))
{
    setWindowTitle(tr("Add Application"));
    m_edit->setObjectName(QStringLiteral("editPath"));
    m_edit->setPlaceholderText(tr("Enter path here"));
    auto *label = new QLabel(tr("Application &Path"), this);
    label->setBuddy(m_edit);
    auto *browse = new QPushButton(tr("&Browse..."), this);
    browse->setObjectName(QStringLiteral("btBrowse"));
    connect(browse, &QPushButton::clicked, this, &ApplicationPathDialog::browse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addWidget(m_edit, 1, 0);
    layout->addWidget(browse, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    // Room for a whole path such as /usr/lib/x86_64-linux-gnu/libexec/... without scrolling.
    m_edit->setMinimumWidth(m_edit->fontMetrics().averageCharWidth() * 60);
}

QString ApplicationPathDialog::path() const
{
    return m_edit->text().trimmed();
}

void ApplicationPathDialog::setPath(const QString &path)
{
    m_edit->setText(path);
}

void ApplicationPathDialog::browse()
{
    const QString start = path().isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(path()).absolutePath();
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Choose Application"), start);
    if (!chosen.isEmpty()) {
        setPath(chosen);
    }
}

QString ApplicationPathDialog::ask(QWidget *parent)
{
    ApplicationPathDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.path() : QString();
}
