#include "cataloguefile.h"

#include "apireply.h"
#include "cataloguereader.h"
#include "logging.h"
#include "projectscatalogue.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

QString CatalogueFile::path()
{
    return QDir(SettingsFile::dataFolder()).filePath(QStringLiteral("projects.xml"));
}

bool CatalogueFile::save(const QString &xml)
{
    QSaveFile file(path());
    const bool saved = QDir().mkpath(SettingsFile::dataFolder()) && file.open(QIODevice::WriteOnly) &&
                       file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                       file.write(xml.toLatin1()) >= 0 && file.commit();
    if (!saved) {
        qCWarning(lcService) << "the projects could not be kept in" << path() << file.errorString();
    }
    return saved;
}

bool CatalogueFile::load(ProjectsCatalogue &catalogue)
{
    QFile file(path());
    // Read no more than a reply may hold: a damaged or foreign file must not fill the memory.
    if (!file.exists() || !file.open(QIODevice::ReadOnly) || file.size() > ApiReply::MaxReplyBytes) {
        catalogue.markUnusable();
        return false;
    }
    return CatalogueReader::load(ApiReply::fromBody(file.readAll()), catalogue);
}
