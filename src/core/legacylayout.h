#pragma once

#include <QStringList>

// Earlier versions kept the settings, the window's layout and the debug log beside the database
// in the data folder. This moves them once to their XDG places (SettingsFile): a file is moved only
// where nothing exists yet, never overwritten, and a symbolic link at its old path lets an earlier
// version still find it. A move that fails leaves the file where it was, still in use.
namespace LegacyLayout {

// What was moved or left, one line each, for the debug log (which is opened only after the move).
QStringList moveToXdgPlaces();

} // namespace LegacyLayout
