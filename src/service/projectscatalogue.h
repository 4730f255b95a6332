#pragma once

#include "cataloguecache.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// The signed-in user's clients, projects, task lists and open tasks, read from a
// "tavro.projects.findByUser" reply. Names come out decoded; ids are the attribute texts.
class ProjectsCatalogue
{
public:
    struct Task
    {
        QString id;
        QString name;
    };
    struct TaskList
    {
        QString id;
        QString name;
        // A task list without a "tasks" element is never shown.
        bool hasTasks = false;
        // Open tasks only.
        QList<Task> tasks;
    };
    struct Project
    {
        QString id;
        QString name;
        // Both empty for a project without a client.
        QString clientId;
        QString clientName;
        QList<TaskList> taskLists;
    };

    // What a tree shows for a filter: clients in order of their first shown project.
    struct ShownProject
    {
        QString id;
        QString name;
        QList<TaskList> taskLists;
    };
    struct ShownClient
    {
        QString id;
        QString name;
        QList<ShownProject> projects;
    };

    using Maps = CatalogueCache::Names;

    // False (and an empty catalogue) unless the root's status is "ok".
    bool parse(const QString &xml);

    const QList<Project> &projects() const { return m_projects; }
    Maps maps() const;
    QList<ShownClient> shown(const QString &filterText) const;

    // Every word must occur, ignoring case, in at least one of the texts.
    static bool matches(const QStringList &words, const QStringList &texts);
    // Replaces the names the catalogue cache knows.
    static void storeMaps(const Maps &maps);

    // The document with one task list or task added; names and descriptions are written as UTF-8.
    // Keys of taskList: "id", "name"; of task: "id", "name", "complete", "billable", "description",
    // "price_per_hour", "due_date". An unknown project or task list leaves the document unchanged, and a
    // text that is no document comes back as it was.
    static QString addTaskListToXml(const QString &xml, int projectId, const QMap<QString, QVariant> &taskList);
    static QString addTaskToXml(const QString &xml, int projectId, int tasklistId, const QMap<QString, QVariant> &task);

private:
    QList<Project> m_projects;
};
