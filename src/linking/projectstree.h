#pragma once

#include <QTreeWidget>

class QAction;

// The user's clients, projects, task lists and open tasks as one tree. Items carry the remote id
// under IdRole and the type text ("client", "project", "tasklist", "task") under TypeRole.
class ProjectsTree : public QTreeWidget
{
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole + 1;
    static constexpr int TypeRole = Qt::UserRole + 2;

    explicit ProjectsTree(QWidget *parent = nullptr);

    QString filterText() const { return m_filterText; }
    void setFilterText(const QString &text) { m_filterText = text; }

    // Rebuilds the items for the current filter and stores the five id maps. A document whose status
    // is not "ok" leaves the tree empty, the maps as they were, and says so in a box.
    void populate(const QString &xml);

    // "&Refresh": the main window reloads the projects from the service when it is triggered.
    QAction *refreshAction() const { return m_refreshAction; }

public Q_SLOTS:
    // populate() and expand everything: for a freshly fetched catalogue.
    void showProjects(const QString &xml);
    // Sets the filter and shows the cached catalogue ("XmlProjectsList") again.
    void applyFilter(const QString &text);

Q_SIGNALS:
    void refreshRequested();

private:
    QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const QString &type, const QString &id, const QString &name);

    QString m_filterText;
    QAction *m_refreshAction;
};
