#include "timelinelayout.h"

#include "timetext.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr qint64 Hour = 3600;
// How close (in pixels) a click must come to a band that is narrower than this.
constexpr double HitReach = 3.0;

qint64 floorHour(qint64 time)
{
    // Local hours: the offset of the zone at that time, so half-hour zones get their own marks.
    const qint64 offset = QDateTime::fromSecsSinceEpoch(time).offsetFromUtc();
    const qint64 local = time + offset;
    return local - ((local % Hour) + Hour) % Hour - offset;
}

// FNV-1a: unlike qHash, the same on every run.
quint32 stableHash(const QString &text)
{
    quint32 hash = 2166136261u;
    for (const QChar c : text) {
        hash = (hash ^ c.unicode()) * 16777619u;
    }
    return hash;
}

QString clock(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace

void TimelineLayout::setEntries(QList<TimelineEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TimelineEntry &a, const TimelineEntry &b) { return a.start < b.start; });
    m_texts.clear();
    m_textNumbers.clear();
    std::vector<Band>().swap(m_bands);
    m_bands.reserve(size_t(entries.size()));
    for (const TimelineEntry &entry : std::as_const(entries)) {
        m_bands.push_back(band(entry));
    }
    ++m_generation;
    fitDay();
    m_viewStart = m_dayStart;
    m_viewEnd = m_dayEnd;
}

bool TimelineLayout::append(const TimelineEntry &entry)
{
    const bool wasWholeDay = m_viewStart == m_dayStart && m_viewEnd == m_dayEnd;
    const qint64 oldStart = m_dayStart;
    const qint64 oldEnd = m_dayEnd;
    m_bands.push_back(band(entry));
    if (m_bands.size() > 1 && entry.start < m_bands[m_bands.size() - 2].start) {
        std::stable_sort(m_bands.begin(), m_bands.end(),
                         [](const Band &a, const Band &b) { return a.start < b.start; });
    }
    fitDay();
    if (m_dayStart == oldStart && m_dayEnd == oldEnd) {
        return true;
    }
    if (wasWholeDay) {
        m_viewStart = m_dayStart;
        m_viewEnd = m_dayEnd;
    }
    return false;
}

TimelineEntry TimelineLayout::entry(int index) const
{
    const Band &band = m_bands.at(size_t(index));
    TimelineEntry entry;
    entry.id = band.id;
    entry.start = band.start;
    entry.end = band.end;
    entry.appPath = m_texts.at(band.appPath);
    entry.appName = m_texts.at(band.appName);
    entry.title = m_texts.at(band.title);
    entry.away = band.away;
    entry.linked = band.linked;
    entry.projectId = m_texts.at(band.projectId);
    return entry;
}

qint64 TimelineLayout::idAt(int index) const
{
    return m_bands.at(size_t(index)).id;
}

TimelineLayout::Band TimelineLayout::band(const TimelineEntry &entry)
{
    return Band{entry.id,
                entry.start,
                entry.end,
                textNumber(entry.appPath),
                textNumber(entry.appName),
                textNumber(entry.title),
                textNumber(entry.projectId),
                entry.away,
                entry.linked};
}

quint32 TimelineLayout::textNumber(const QString &text)
{
    const auto known = m_textNumbers.constFind(text);
    if (known != m_textNumbers.cend()) {
        return *known;
    }
    const auto number = quint32(m_texts.size());
    m_texts.append(text);
    m_textNumbers.insert(text, number);
    return number;
}

void TimelineLayout::fitDay()
{
    if (m_bands.empty()) {
        m_dayStart = 0;
        m_dayEnd = Hour;
        return;
    }
    qint64 first = m_bands.front().start;
    qint64 last = first;
    for (const Band &band : m_bands) {
        last = std::max(last, std::max(band.end, band.start));
    }
    m_dayStart = floorHour(first);
    m_dayEnd = floorHour(last);
    if (m_dayEnd < last || m_dayEnd == m_dayStart) {
        m_dayEnd += Hour;
    }
}

void TimelineLayout::setWidth(int width)
{
    m_width = std::max(width, 0);
}

void TimelineLayout::setView(qint64 start, qint64 end)
{
    const qint64 dayLength = m_dayEnd - m_dayStart;
    qint64 length = std::clamp(end - start, std::min(MinimumViewSeconds, dayLength), dayLength);
    start = std::clamp(start, m_dayStart, m_dayEnd - length);
    m_viewStart = start;
    m_viewEnd = start + length;
}

void TimelineLayout::zoom(double factor, double x)
{
    if (factor <= 0 || m_width <= 0) {
        return;
    }
    const double anchor = double(m_viewStart) + x / m_width * double(m_viewEnd - m_viewStart);
    const double length = double(m_viewEnd - m_viewStart) / factor;
    const double start = anchor - x / m_width * length;
    setView(qint64(std::llround(start)), qint64(std::llround(start + length)));
}

void TimelineLayout::pan(double dx)
{
    if (m_width <= 0) {
        return;
    }
    const qint64 shift = qint64(std::llround(dx / m_width * double(m_viewEnd - m_viewStart)));
    setView(m_viewStart + shift, m_viewEnd + shift);
}

double TimelineLayout::xOf(qint64 time) const
{
    if (m_viewEnd <= m_viewStart) {
        return 0;
    }
    return double(time - m_viewStart) * m_width / double(m_viewEnd - m_viewStart);
}

qint64 TimelineLayout::timeAt(double x) const
{
    if (m_width <= 0) {
        return m_viewStart;
    }
    return m_viewStart + qint64(std::floor(x / m_width * double(m_viewEnd - m_viewStart)));
}

QRectF TimelineLayout::bandRect(int index) const
{
    const Band &band = m_bands.at(size_t(index));
    const double left = xOf(band.start);
    const double right = std::max(xOf(band.end), left + 1.0);
    return QRectF(left, TopMargin, right - left, BandHeight);
}

QRectF TimelineLayout::linkRect(int index) const
{
    const QRectF band = bandRect(index);
    return QRectF(band.left(), band.bottom() + LinkGap, band.width(), LinkHeight);
}

void TimelineLayout::visibleRange(double x1, double x2, int *first, int *last) const
{
    const qint64 from = timeAt(x1) - 1;
    const qint64 to = timeAt(x2) + 1;
    // Entries are sorted by start; an entry seen at `from` started before it but may end after.
    // Stretches never overlap, so only the one just before the first later start can reach in.
    const auto begin = std::lower_bound(m_bands.cbegin(), m_bands.cend(), from,
                                        [](const Band &band, qint64 time) { return band.start < time; });
    const auto end = std::upper_bound(m_bands.cbegin(), m_bands.cend(), to,
                                      [](qint64 time, const Band &band) { return time < band.start; });
    *first = int(begin - m_bands.cbegin());
    if (*first > 0 && m_bands[size_t(*first - 1)].end >= from) {
        --*first;
    }
    *last = int(end - m_bands.cbegin()) - 1;
}

int TimelineLayout::hitTest(double x, double y) const
{
    if (y < TopMargin || y > TopMargin + BandHeight + LinkGap + LinkHeight || m_bands.empty()) {
        return -1;
    }
    int first = 0;
    int last = -1;
    visibleRange(x - HitReach, x + HitReach, &first, &last);
    int best = -1;
    double bestDistance = HitReach;
    for (int index = first; index <= last; ++index) {
        const QRectF band = bandRect(index);
        if (x >= band.left() && x < band.right()) {
            return index;
        }
        const double distance = x < band.left() ? band.left() - x : x - band.right();
        if (band.width() < HitReach && distance <= bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    return best;
}

int TimelineLayout::indexOfId(qint64 id) const
{
    for (size_t index = 0; index < m_bands.size(); ++index) {
        if (m_bands[index].id == id) {
            return int(index);
        }
    }
    return -1;
}

void TimelineLayout::showEntry(int index)
{
    if (index < 0 || index >= count()) {
        return;
    }
    const Band &entry = m_bands[size_t(index)];
    const qint64 length = m_viewEnd - m_viewStart;
    if (entry.start < m_viewStart || entry.end - entry.start > length) {
        setView(entry.start, entry.start + length);
    } else if (entry.end > m_viewEnd) {
        setView(entry.end - length, entry.end);
    }
}

QList<TimelineLayout::HourMark> TimelineLayout::hourMarks() const
{
    QList<HourMark> marks;
    if (m_width <= 0 || m_viewEnd <= m_viewStart) {
        return marks;
    }
    // The finest step that leaves room for a label between marks: hours zoomed out, down to a
    // minute zoomed in.
    static constexpr double MarkSpacing = 80.0;
    static constexpr std::array<qint64, 13> Steps{60,       300,      600,      900,      1800,      Hour,     2 * Hour,
                                                  3 * Hour, 4 * Hour, 6 * Hour, 8 * Hour, 12 * Hour, 24 * Hour};
    const double pixelsPerSecond = double(m_width) / double(m_viewEnd - m_viewStart);
    qint64 step = Steps.back();
    for (const qint64 candidate : Steps) {
        if (double(candidate) * pixelsPerSecond >= MarkSpacing) {
            step = candidate;
            break;
        }
    }
    // Marks count from each local hour, so a clock change or a half-hour zone keeps them on the hour.
    for (qint64 hour = floorHour(m_viewStart); hour <= m_viewEnd; hour = floorHour(hour + Hour + Hour / 2)) {
        const QDateTime local = QDateTime::fromSecsSinceEpoch(hour);
        if (step >= Hour) {
            if (hour >= m_viewStart && local.time().hour() % (step / Hour) == 0) {
                marks << HourMark{hour, xOf(hour), local.toString(QStringLiteral("H:mm"))};
            }
            continue;
        }
        for (qint64 time = hour; time < hour + Hour && time <= m_viewEnd; time += step) {
            if (time >= m_viewStart) {
                marks << HourMark{time, xOf(time), local.addSecs(time - hour).toString(QStringLiteral("H:mm"))};
            }
        }
    }
    return marks;
}

QColor TimelineLayout::appColour(const QString &appPath)
{
    // Golden-angle steps of the hue keep neighbouring hash values apart.
    const quint32 hash = stableHash(appPath);
    const int hue = int((hash % 360u) * 137u % 360u);
    const int saturation = 120 + int((hash >> 9) % 80u);
    const int value = 170 + int((hash >> 17) % 60u);
    return QColor::fromHsv(hue, saturation, value);
}

QColor TimelineLayout::awayColour()
{
    return QColor(190, 190, 190);
}

QColor TimelineLayout::projectColour(const QString &projectId)
{
    const quint32 hash = stableHash(QStringLiteral("project:") + projectId);
    return QColor::fromHsv(int(hash % 360u), 200, 140);
}

QString TimelineLayout::description(const TimelineEntry &entry)
{
    const QString what = entry.away ? QCoreApplication::translate("TimelineLayout", "Away") : entry.appName;
    const QString text =
        QCoreApplication::translate("TimelineLayout", "%1: %2, %3 to %4 (%5)")
            .arg(what, entry.title, clock(entry.start), clock(entry.end), formatDuration(entry.end - entry.start));
    return entry.linked ? QCoreApplication::translate("TimelineLayout", "%1, linked").arg(text) : text;
}

QString TimelineLayout::toolTipHtml(const TimelineEntry &entry)
{
    const QString what =
        entry.away ? QCoreApplication::translate("TimelineLayout", "Away") : entry.appName.toHtmlEscaped();
    const QString linked =
        entry.linked ? QStringLiteral("<br/><i>%1</i>").arg(QCoreApplication::translate("TimelineLayout", "linked"))
                     : QString();
    return QStringLiteral("<b>%1</b><br/>%2<br/>%3 - %4 (%5)%6")
        .arg(what, entry.title.toHtmlEscaped(), clock(entry.start), clock(entry.end),
             formatDuration(entry.end - entry.start), linked);
}
