#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The update feed: an RSS 2.0 document whose items each describe one release.
namespace Appcast {

struct Release
{
    QString title;
    QString version;
    QString link;
    QString pubDate;
};

struct Feed
{
    bool ok = false;
    // Why the feed could not be read, for the user.
    QString error;
    QList<Release> releases;
};

// Feeds larger or deeper than these are refused: a real one has a few kilobytes and four levels.
constexpr qsizetype MaxFeedBytes = 1024 * 1024;
constexpr int MaxDepth = 32;

// Reads the feed. Items without a usable version number are skipped; a document that is not a
// well-formed RSS feed gives ok = false with the reason.
Feed parse(const QByteArray &xml);

// Compares dotted version numbers numerically ("1.0.10" > "1.0.9"; missing parts count as 0).
// Returns <0, 0 or >0. Both must be valid.
int compareVersions(const QString &a, const QString &b);
bool isValidVersion(const QString &version);

// The release with the highest version, or null when there is none.
const Release *newest(const QList<Release> &releases);

} // namespace Appcast
