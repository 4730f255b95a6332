#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

// The signed-in user's projects catalogue as this run last received it: the document the service
// sent, and what its ids stand for (names, and the project and task list of each open task). The
// session fills it, the projects tree extends it when the user adds a task list or a task, and the
// views, rules and linking read names from it.
class CatalogueCache
{
public:
    // Keyed by the ids as text.
    struct Names
    {
        QMap<QString, QVariant> projectNames;
        QMap<QString, QVariant> tasklistNames;
        // Open tasks only.
        QMap<QString, QVariant> taskNames;
        QMap<QString, QVariant> taskParentProjects;
        QMap<QString, QVariant> taskParentTasklists;
    };

    static CatalogueCache *instance();

    QString document() const { return m_document; }
    void setDocument(const QString &xml) { m_document = xml; }
    const Names &names() const { return m_names; }
    void setNames(const Names &names) { m_names = names; }

    void addTaskList(const QString &id, const QString &name);
    void addTask(const QString &id, const QString &name, const QString &projectId, const QString &tasklistId);

    // Signed out: nothing is known.
    void clear();

private:
    QString m_document;
    Names m_names;
};
