#include "ignoredappsdialog.h"

#include "applicationpathdialog.h"
#include "messagebox.h"
#include "neverrecorded.h"
#include "settings.h"
#include "ui_ignoredappsdialog.h"

#include <QCheckBox>
#include <QDebug>
#include <QFileInfo>

IgnoredAppsDialog::IgnoredAppsDialog(QWidget *parent, IconLookup icons, List list)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::IgnoredAppsDialog>())
    , m_icons(std::move(icons))
    , m_prompt(&ApplicationPathDialog::ask)
    , m_key(list == List::Excluded ? Setting::IgnoredApps : Setting::NeverRecordedApps)
{
    m_ui->setupUi(this);
    if (list == List::NeverRecorded) {
        const QString title = QStringLiteral("Never Recorded Applications");
        setWindowTitle(title);
        m_ui->groupBox->setTitle(title);
        auto *keepTime = new QCheckBox(QStringLiteral("Keep their time, titled \"Private\""), m_ui->groupBox);
        keepTime->setObjectName(QStringLiteral("checkKeepTime"));
        keepTime->setChecked(NeverRecorded::keepsTime());
        connect(keepTime, &QCheckBox::toggled, this,
                [](bool checked) { Settings::instance()->setValue(Setting::NeverRecordedKeepTime, checked); });
        m_ui->layoutGroup->addWidget(keepTime);
    }
    const QStringList paths = Settings::instance()->value(m_key);
    for (const QString &path : paths) {
        qDebug() << path;
        addItem(path);
    }
    listChanged = false;
}

IgnoredAppsDialog::~IgnoredAppsDialog() = default;

QStringList IgnoredAppsDialog::listedPaths() const
{
    QStringList paths;
    for (int i = 0; i < m_ui->ignoredApps->topLevelItemCount(); ++i) {
        paths.append(m_ui->ignoredApps->topLevelItem(i)->text(0));
    }
    return paths;
}

void IgnoredAppsDialog::addItem(const QString &path)
{
    auto *item = new QTreeWidgetItem(m_ui->ignoredApps, QStringList{path});
    if (m_icons) {
        item->setIcon(0, m_icons(path));
    }
}

void IgnoredAppsDialog::on_btAdd_clicked()
{
    const QString path = m_prompt(this).trimmed();
    qDebug() << "entered: " << path;
    if (path.isEmpty()) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        MessageBox::critical(this, QStringLiteral("Error"),
                             QStringLiteral("Application \"") + path + QStringLiteral("\" does not exist."),
                             MessageBox::Close);
        return;
    }
    if (listedPaths().contains(path)) {
        qDebug() << "app already exists";
        return;
    }
    addItem(path);
    QStringList paths = Settings::instance()->value(m_key);
    paths.append(path);
    Settings::instance()->setValue(m_key, paths);
    m_added.append(path);
    listChanged = true;
}

void IgnoredAppsDialog::on_btRemove_clicked()
{
    QStringList paths = Settings::instance()->value(m_key);
    const QList<QTreeWidgetItem *> selected = m_ui->ignoredApps->selectedItems();
    QStringList removed;
    for (const QTreeWidgetItem *item : selected) {
        removed.append(item->text(0));
    }
    for (const QString &path : removed) {
        qDebug() << path;
        for (int i = m_ui->ignoredApps->topLevelItemCount() - 1; i >= 0; --i) {
            if (m_ui->ignoredApps->topLevelItem(i)->text(0) == path) {
                delete m_ui->ignoredApps->takeTopLevelItem(i);
            }
        }
        paths.removeAll(path);
        m_added.removeAll(path);
        listChanged = true;
    }
    Settings::instance()->setValue(m_key, paths);
}
