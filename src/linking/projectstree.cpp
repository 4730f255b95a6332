#include "projectstree.h"

#include "messagebox.h"
#include "projectscatalogue.h"
#include "settings.h"

#include <QAction>
#include <QDebug>

ProjectsTree::ProjectsTree(QWidget *parent)
    : QTreeWidget(parent)
    , m_refreshAction(new QAction(QStringLiteral("&Refresh"), this))
{
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false);
    connect(m_refreshAction, &QAction::triggered, this, &ProjectsTree::refreshRequested);
}

void ProjectsTree::populate(const QString &xml)
{
    clear();
    ProjectsCatalogue catalogue;
    if (!catalogue.parse(xml)) {
        MessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Could not load projects tree"));
        qDebug() << "xml not good to load";
        return;
    }
    for (const ProjectsCatalogue::ShownClient &client : catalogue.shown(m_filterText)) {
        QTreeWidgetItem *clientItem = addItem(nullptr, QStringLiteral("client"), client.id, client.name);
        for (const ProjectsCatalogue::ShownProject &project : client.projects) {
            QTreeWidgetItem *projectItem = addItem(clientItem, QStringLiteral("project"), project.id, project.name);
            for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
                QTreeWidgetItem *taskListItem =
                    addItem(projectItem, QStringLiteral("tasklist"), taskList.id, taskList.name);
                for (const ProjectsCatalogue::Task &task : taskList.tasks) {
                    addItem(taskListItem, QStringLiteral("task"), task.id, task.name);
                }
            }
        }
    }
    ProjectsCatalogue::storeMaps(catalogue.maps());
}

void ProjectsTree::showProjects(const QString &xml)
{
    populate(xml);
    expandAll();
}

void ProjectsTree::applyFilter(const QString &text)
{
    setFilterText(text);
    showProjects(Settings::instance()->value(QStringLiteral("XmlProjectsList")).toString());
}

QTreeWidgetItem *ProjectsTree::addItem(QTreeWidgetItem *parent, const QString &type, const QString &id,
                                       const QString &name)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, name);
    item->setIcon(0, QIcon(QStringLiteral(":/icons/res/") + type + QStringLiteral(".png")));
    item->setData(0, IdRole, id);
    item->setData(0, TypeRole, type);
    return item;
}
