#pragma once

// The classes behind the entry and project views of the main window's form. Each name is the one
// line to change when the real view class is merged in.
#include "entrieslist.h"
#include "projectstree.h"
#include "timetree.h"

using AppListView = TimeTree;
using LinkedEntriesView = EntriesList;
using ProjectsView = ProjectsTree;
