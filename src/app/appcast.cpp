#include "appcast.h"

#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace {
QList<qulonglong> versionParts(const QString &version)
{
    QList<qulonglong> parts;
    const QStringList texts = version.split(QLatin1Char('.'));
    for (const QString &text : texts) {
        bool ok = false;
        const qulonglong part = text.toULongLong(&ok);
        if (!ok) {
            return {};
        }
        parts.append(part);
    }
    return parts;
}
} // namespace

bool Appcast::isValidVersion(const QString &version)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{1,9}(\\.\\d{1,9})*$"));
    return pattern.match(version).hasMatch();
}

int Appcast::compareVersions(const QString &a, const QString &b)
{
    const QList<qulonglong> left = versionParts(a);
    const QList<qulonglong> right = versionParts(b);
    const qsizetype count = qMax(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        const qulonglong l = i < left.size() ? left.at(i) : 0;
        const qulonglong r = i < right.size() ? right.at(i) : 0;
        if (l != r) {
            return l < r ? -1 : 1;
        }
    }
    return 0;
}

Appcast::Feed Appcast::parse(const QByteArray &xml)
{
    Feed feed;
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement()) {
        feed.error = reader.hasError() ? reader.errorString() : QStringLiteral("The feed is empty.");
        return feed;
    }
    if (reader.name() != QLatin1String("rss")) {
        feed.error = QStringLiteral("The feed is not an RSS document.");
        return feed;
    }
    bool inChannel = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("channel")) {
            inChannel = true;
        } else if (reader.isStartElement() && inChannel && reader.name() == QLatin1String("item")) {
            Release release;
            while (reader.readNextStartElement()) {
                const QStringView name = reader.name();
                if (name == QLatin1String("title")) {
                    release.title = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                } else if (name == QLatin1String("version")) {
                    release.version = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                } else if (name == QLatin1String("link")) {
                    release.link = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                } else if (name == QLatin1String("pubDate")) {
                    release.pubDate = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                } else {
                    reader.skipCurrentElement();
                }
            }
            if (isValidVersion(release.version)) {
                feed.releases.append(release);
            }
        }
    }
    if (reader.hasError()) {
        feed.error = reader.errorString();
        feed.releases.clear();
        return feed;
    }
    if (!inChannel) {
        feed.error = QStringLiteral("The feed has no channel.");
        return feed;
    }
    feed.ok = true;
    return feed;
}

const Appcast::Release *Appcast::newest(const QList<Release> &releases)
{
    const Release *best = nullptr;
    for (const Release &release : releases) {
        if (!best || compareVersions(release.version, best->version) > 0) {
            best = &release;
        }
    }
    return best;
}
