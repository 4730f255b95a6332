#pragma once

#include <QList>
#include <QString>

class QComboBox;

// What the linking dialogs offer for choice, read from the cached projects document.
// Names are decoded: the cached text keeps one character per byte of the service's UTF-8.
namespace CatalogueChoices {

struct Task
{
    int id = 0;
    QString name;
    QString complete;
};

struct TaskList
{
    int id = 0;
    QString name;
    QList<Task> tasks;
};

struct Project
{
    int id = 0;
    QString name;
    QList<TaskList> taskLists;
};

// The projects of the first "projects" element in document order; false (and nothing read) when the
// document's status is not "ok".
bool read(const QString &xml, QList<Project> &projects);

// The project with this id, or null.
const Project *findProject(const QList<Project> &projects, int projectId);

// The project with this id (empty when the document lacks it); false, logged, when the document is not
// usable.
bool readProject(const QString &xml, int projectId, Project &project);

// One row per project, the name with the id under Qt::UserRole, the first one current; false, logged and
// with the rows left as they were, when the document is not usable.
bool fillProjects(QComboBox *combo, const QString &xml);

// The project's open tasks under their task lists, which are grey headings that cannot be chosen
// (id 0); the first row current.
void fillTasks(QComboBox *combo, const Project &project);

// Makes the row carrying this id current; false when no row carries it.
bool selectId(QComboBox *combo, int id);

// The id of the current row, 0 when there is none.
int currentId(const QComboBox *combo);

} // namespace CatalogueChoices
