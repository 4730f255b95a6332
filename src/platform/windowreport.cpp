#include "windowreport.h"

#include <QMetaType>

#include <cmath>

namespace {
constexpr qint64 MaxPid = 4194304; // the kernel's upper bound for pid_max

bool readText(const QVariant &value, int maxLength, QString *text, QString *why)
{
    // D-Bus strings are valid UTF-8 by the wire protocol; raw bytes (a different type) are refused
    // here, so undecodable text never becomes a title.
    if (value.metaType().id() != QMetaType::QString) {
        *why = QStringLiteral("argument of type %1 where a string belongs").arg(QString::fromLatin1(value.typeName()));
        return false;
    }
    *text = value.toString();
    if (text->size() > maxLength) {
        *why = QStringLiteral("text of %1 characters, longer than %2").arg(text->size()).arg(maxLength);
        return false;
    }
    return true;
}

bool readPid(const QVariant &value, quint32 *pid, QString *why)
{
    qint64 number = -1;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        number = value.toLongLong();
        break;
    case QMetaType::ULongLong:
        number = value.toULongLong() > quint64(MaxPid) ? -1 : qint64(value.toULongLong());
        break;
    case QMetaType::Double: {
        // Script engines may hand numbers over as doubles.
        const double d = value.toDouble();
        number = std::isfinite(d) && d == std::floor(d) && d >= 0 && d <= MaxPid ? qint64(d) : -1;
        break;
    }
    default:
        *why =
            QStringLiteral("argument of type %1 where a process id belongs").arg(QString::fromLatin1(value.typeName()));
        return false;
    }
    if (number < 0 || number > MaxPid) {
        *why = QStringLiteral("process id out of range");
        return false;
    }
    *pid = quint32(number);
    return true;
}
} // namespace

std::optional<WindowReport> WindowReport::parse(const QVariantList &arguments, int appIdCandidates, QString *why)
{
    const int expected = 2 + appIdCandidates;
    if (arguments.size() != expected) {
        *why = QStringLiteral("%1 arguments where %2 belong").arg(arguments.size()).arg(expected);
        return std::nullopt;
    }
    WindowReport report;
    if (!readText(arguments.at(0), MaxTitleLength, &report.title, why)) {
        return std::nullopt;
    }
    for (int i = 0; i < appIdCandidates; ++i) {
        QString candidate;
        if (!readText(arguments.at(1 + i), MaxAppIdLength, &candidate, why)) {
            return std::nullopt;
        }
        if (report.appId.isEmpty()) {
            report.appId = candidate;
        }
    }
    if (!readPid(arguments.at(expected - 1), &report.pid, why)) {
        return std::nullopt;
    }
    return report;
}
