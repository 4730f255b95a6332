#include "storagecheck.h"

#include "linkstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

QString StorageCheck::problem(const QString &dataFolder)
{
    // A real write: permission bits say nothing of immutable files or read-only mounts.
    QTemporaryFile probe(QDir(dataFolder).filePath(QStringLiteral("write-check-XXXXXX")));
    if (!probe.open()) {
        return QCoreApplication::translate("StorageCheck", "The data folder %1 cannot be written (%2).")
            .arg(QDir::toNativeSeparators(dataFolder), probe.errorString());
    }
    probe.close();
    QString error;
    if (!LinkStore::isWritable(&error)) {
        return QCoreApplication::translate("StorageCheck", "The database in %1 cannot be written (%2).")
            .arg(QDir::toNativeSeparators(dataFolder), error);
    }
    return {};
}
