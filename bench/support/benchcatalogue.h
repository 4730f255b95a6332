#pragma once

#include <QString>

// A "tavro.projects.findByUser" reply of `projects` projects, each of one client, with ten task lists of
// ten open tasks: 1,500 projects make about 10 MB, a large organisation's account.
QString benchCatalogue(int projects);
