#pragma once

#include "projectscatalogue.h"

class QComboBox;

// What the linking and rule dialogs offer for choice, read from the catalogue.
namespace CatalogueChoices {

// The project with this id (empty when the catalogue lacks it); false, logged, when the catalogue is not
// usable.
bool readProject(const ProjectsCatalogue &catalogue, qint64 projectId, ProjectsCatalogue::Project &project);

// One row per project, the name with the id under Qt::UserRole, the first one current; false, logged and
// with the rows left as they were, when the catalogue is not usable.
bool fillProjects(QComboBox *combo, const ProjectsCatalogue &catalogue);

// The project's tasks that are not complete under their task lists, which are grey headings that cannot
// be chosen (id 0); the first row current.
void fillTasks(QComboBox *combo, const ProjectsCatalogue::Project &project);

// Makes the row carrying this id current; false when no row carries it.
bool selectId(QComboBox *combo, int id);

// The id of the current row, 0 when there is none.
int currentId(const QComboBox *combo);

} // namespace CatalogueChoices
