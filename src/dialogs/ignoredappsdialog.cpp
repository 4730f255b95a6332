#include "ignoredappsdialog.h"

#include "applicationpathdialog.h"
#include "messagebox.h"
#include "settings.h"
#include "ui_ignoredappsdialog.h"

#include <QDebug>
#include <QFileInfo>

IgnoredAppsDialog::IgnoredAppsDialog(QWidget *parent, IconLookup icons)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::IgnoredAppsDialog>())
    , m_icons(std::move(icons))
    , m_prompt(&ApplicationPathDialog::ask)
{
    m_ui->setupUi(this);
    const QStringList paths = Settings::instance()->value(Setting::IgnoredApps);
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
    QStringList paths = Settings::instance()->value(Setting::IgnoredApps);
    paths.append(path);
    Settings::instance()->setValue(Setting::IgnoredApps, paths);
    listChanged = true;
}

void IgnoredAppsDialog::on_btRemove_clicked()
{
    QStringList paths = Settings::instance()->value(Setting::IgnoredApps);
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
        listChanged = true;
    }
    Settings::instance()->setValue(Setting::IgnoredApps, paths);
}
