#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>

namespace TestSupport {

// A fixture from tests/data as a reply text: one character per byte, as replies are kept.
inline QString fixtureReply(const QString &name)
{
    QFile file(qEnvironmentVariable("TAVRO_TEST_DATA") + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing fixture %s", qPrintable(name));
    }
    return QString::fromLatin1(file.readAll());
}

} // namespace TestSupport
