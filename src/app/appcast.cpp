#include "appcast.h"

#include <QCoreApplication>
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

// The text of the current element and everything inside it, read without recursion; an element
// nested deeper than Appcast::MaxDepth ends the feed with an error.
QString readText(QXmlStreamReader &reader)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
            text += reader.text();
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > Appcast::MaxDepth) {
                reader.raiseError(QCoreApplication::translate("Appcast", "The feed nests deeper than %1 levels.")
                                      .arg(Appcast::MaxDepth));
                return {};
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return text.trimmed();
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
    if (xml.size() > MaxFeedBytes) {
        feed.error = QCoreApplication::translate("Appcast", "The feed is larger than %1 KB.").arg(MaxFeedBytes / 1024);
        return feed;
    }
    QXmlStreamReader reader(xml);
    // Entities declared in a document type could expand a small feed into gigabytes.
    while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::StartElement) {
        if (reader.tokenType() == QXmlStreamReader::DTD) {
            reader.raiseError(QCoreApplication::translate("Appcast", "The feed carries a document type declaration."));
        }
    }
    if (!reader.isStartElement()) {
        feed.error =
            reader.hasError() ? reader.errorString() : QCoreApplication::translate("Appcast", "The feed is empty.");
        return feed;
    }
    if (reader.name() != QLatin1String("rss")) {
        feed.error = QCoreApplication::translate("Appcast", "The feed is not an RSS document.");
        return feed;
    }
    bool inChannel = false;
    int depth = 1;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement()) {
            --depth;
        } else if (reader.isStartElement() && ++depth > MaxDepth) {
            reader.raiseError(
                QCoreApplication::translate("Appcast", "The feed nests deeper than %1 levels.").arg(MaxDepth));
        } else if (reader.isStartElement() && reader.name() == QLatin1String("channel")) {
            inChannel = true;
        } else if (reader.isStartElement() && inChannel && reader.name() == QLatin1String("item")) {
            Release release;
            // Each field is read to its end tag; the item's own end tag comes next at this level.
            while (reader.readNextStartElement()) {
                const QStringView name = reader.name();
                QString *field = name == QLatin1String("title")     ? &release.title
                                 : name == QLatin1String("version") ? &release.version
                                 : name == QLatin1String("link")    ? &release.link
                                 : name == QLatin1String("pubDate") ? &release.pubDate
                                                                    : nullptr;
                const QString text = readText(reader);
                if (field) {
                    *field = text;
                }
            }
            --depth;
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
        feed.error = QCoreApplication::translate("Appcast", "The feed has no channel.");
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
