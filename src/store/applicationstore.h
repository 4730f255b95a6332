#pragma once

#include "applicationrow.h"
#include "storeresult.h"

#include <QList>
#include <QString>
#include <QStringList>

// The applications table: an application is identified by its path and name together.
class ApplicationStore
{
public:
    // The id of the application, or 0 in `id` when there is none yet.
    static StoreResult find(const QString &path, const QString &name, qint64 *id);
    // The application stored under any of `names` (the first one preferred, then the oldest row):
    // one application goes by several names, one per language.
    static StoreResult findAny(const QString &path, const QStringList &names, qint64 *id);
    static StoreResult add(const QString &path, const QString &name, qint64 *id);
    // Every application, by name.
    static StoreResult all(QList<ApplicationRow> *applications);
};
