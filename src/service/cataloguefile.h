#pragma once

#include <QString>

class ProjectsCatalogue;

// The projects reply last loaded, kept beside the database, so that work done without signing in
// (the command-line export) names the clients of linked projects as the window does.
namespace CatalogueFile {

QString path();
// Keeps the reply (as it came off the wire, one character per byte) whole, or leaves the kept one
// as it was; readable by the user alone.
bool save(const QString &xml);
// Reads the kept reply with the checks of a fresh one; false, leaving `catalogue` unusable, when
// there is none or it cannot be used.
bool load(ProjectsCatalogue &catalogue);

} // namespace CatalogueFile
