#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

// One stretch as the timeline draws it. Times are seconds since the epoch.
struct TimelineEntry
{
    qint64 id = 0;
    qint64 start = 0;
    qint64 end = 0;
    QString appPath;
    QString appName;
    QString title;
    bool away = false;
    bool linked = false;
    // Remote project of a linked entry; empty otherwise.
    QString projectId;
};

// The geometry of the timeline strip, free of widgets: which part of the day is in view, where
// each band, link mark and hour mark lies, which entry is under a point, and the stable colours.
// The day runs from the full hour before its first entry to the full hour after its last one, so
// that a stretch recorded live usually fits in without changing the scale.
class TimelineLayout
{
public:
    struct HourMark
    {
        qint64 time;
        double x;
        QString label;
    };

    static constexpr int TopMargin = 2;
    static constexpr int BandHeight = 22;
    static constexpr int LinkGap = 1;
    static constexpr int LinkHeight = 4;
    static constexpr int LabelTop = TopMargin + BandHeight + LinkGap + LinkHeight + 2;
    // The shortest stretch of time the view can be zoomed in to.
    static constexpr qint64 MinimumViewSeconds = 60;

    // Replaces the entries (sorted here by start) and shows the whole day.
    void setEntries(QList<TimelineEntry> entries);
    // Adds an entry that starts at or after every other; false when the day had to grow for it
    // (everything moves), true when only its own band needs drawing.
    bool append(const TimelineEntry &entry);
    int count() const { return int(m_bands.size()); }
    // Entry `index` in start order, as it was given.
    TimelineEntry entry(int index) const;
    qint64 idAt(int index) const;
    // Changes whenever setEntries() replaces the entries.
    quint64 generation() const { return m_generation; }

    void setWidth(int width);
    int width() const { return m_width; }

    qint64 dayStart() const { return m_dayStart; }
    qint64 dayEnd() const { return m_dayEnd; }
    qint64 viewStart() const { return m_viewStart; }
    qint64 viewEnd() const { return m_viewEnd; }
    // Shows [start, end], kept inside the day and at least MinimumViewSeconds long.
    void setView(qint64 start, qint64 end);
    // Zooms by `factor` (> 1 zooms in) keeping the time under `x` in place.
    void zoom(double factor, double x);
    // Moves the view by `dx` pixels (positive: later times come into view).
    void pan(double dx);

    double xOf(qint64 time) const;
    qint64 timeAt(double x) const;

    // The band of entry `index`; at least one pixel wide so that short stretches stay visible.
    QRectF bandRect(int index) const;
    // The link mark under a linked entry's band.
    QRectF linkRect(int index) const;
    // The entries whose bands may meet [x1, x2]: indexes from `*first` to `*last` inclusive
    // (first > last when none).
    void visibleRange(double x1, double x2, int *first, int *last) const;
    // The entry under `x`, or -1. Bands narrower than a few pixels are found within that reach.
    int hitTest(double x, double y) const;
    int indexOfId(qint64 id) const;
    // Moves the view, keeping its scale, so that the entry `index` is in it (from its start on
    // when it is longer than the view).
    void showEntry(int index);
    // Full hours in view; with little room only every second, third, ... hour.
    QList<HourMark> hourMarks() const;

    // The same application always gets the same colour, also across runs; away time is grey.
    static QColor appColour(const QString &appPath);
    static QColor awayColour();
    static QColor projectColour(const QString &projectId);
    // Rich text for the hover tip; every recorded text is escaped.
    static QString toolTipHtml(const TimelineEntry &entry);
    // The same as one line of plain text, as a screen reader says a band.
    static QString description(const TimelineEntry &entry);

private:
    // One stretch as kept: its texts are numbers into m_texts, so a day that comes back to the same
    // applications and titles thousands of times holds each text once.
    struct Band
    {
        qint64 id;
        qint64 start;
        qint64 end;
        quint32 appPath;
        quint32 appName;
        quint32 title;
        quint32 projectId;
        bool away;
        bool linked;
    };

    Band band(const TimelineEntry &entry);
    quint32 textNumber(const QString &text);
    void fitDay();

    std::vector<Band> m_bands;
    QStringList m_texts;
    QHash<QString, quint32> m_textNumbers;
    quint64 m_generation = 0;
    int m_width = 0;
    qint64 m_dayStart = 0;
    qint64 m_dayEnd = 3600;
    qint64 m_viewStart = 0;
    qint64 m_viewEnd = 3600;
};
