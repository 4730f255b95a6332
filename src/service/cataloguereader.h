#pragma once

#include "projectscatalogue.h"

#include <QString>

// Reads a "tavro.projects.findByUser" reply as a stream into the catalogue's structures: a large
// account's reply is never held as a document. The reply is refused as ApiReply::parse refuses it.
namespace CatalogueReader {

// The projects of the first "projects" element, in document order; false, with `why` saying what was
// wrong when the text is no acceptable document, when the root's status is not "ok".
bool read(const QString &xml, QList<ProjectsCatalogue::Project> *projects, QString *why = nullptr);

// Loads a reply into the catalogue: a usable one replaces it, any other makes it unusable. False when the
// reply was not usable.
bool load(const QString &xml, ProjectsCatalogue &catalogue);

} // namespace CatalogueReader
