#pragma once

#include <QFile>
#include <QString>

// The cached catalogue as the client keeps it: the service's UTF-8 bytes, one character per byte.
inline QString linkingCatalogue()
{
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/linking-catalogue.xml"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(file.readAll());
}
