#include "reportedwindowsource.h"

#include "logging.h"
#include "processpath.h"

#include <QDebug>

namespace {
constexpr int MaxTitleLength = 260;
// The one window a helper reports has no native handle here; any non-zero value marks "a window".
constexpr quint64 ReportedWindow = 1;
constexpr qint64 RefusalMinuteMs = 60 * 1000;
} // namespace

ReportedWindowSource::ReportedWindowSource(std::unique_ptr<ForegroundWindowSource> fallback, QObject *parent)
    : QObject(parent)
    , m_fallback(std::move(fallback))
{}

ForegroundSample ReportedWindowSource::sample()
{
    if (!m_report) {
        return m_fallback ? m_fallback->sample() : ForegroundSample{};
    }
    ForegroundSample result;
    if (m_report->pid == 0 && m_report->title.isEmpty()) {
        return result; // nothing has the focus
    }
    result.window = ReportedWindow;
    result.path = executablePath(m_report->pid);
    if (result.path.isEmpty()) {
        result.path = m_desktopEntries.waylandAppPath(m_report->appId);
    }
    result.title = m_report->title.left(MaxTitleLength);
    // Never keep half of a surrogate pair.
    if (result.title.size() == MaxTitleLength && result.title.back().isHighSurrogate()) {
        result.title.chop(1);
    }
    result.appId = m_report->appId;
    return result;
}

QString ReportedWindowSource::windowText(quint64 window)
{
    if (!m_report) {
        return m_fallback ? m_fallback->windowText(window) : QString();
    }
    return window == ReportedWindow ? m_report->title.left(MaxTitleLength) : QString();
}

quint64 ReportedWindowSource::parentWindow(quint64 window)
{
    if (!m_report) {
        return m_fallback ? m_fallback->parentWindow(window) : 0;
    }
    return 0;
}

void ReportedWindowSource::accept(const WindowReport &report)
{
    m_report = report;
    if (!m_note.isEmpty()) {
        m_note.clear();
        Q_EMIT noteChanged(m_note);
    }
    Q_EMIT reportAccepted();
}

void ReportedWindowSource::lose(const QString &note)
{
    m_report.reset();
    if (note != m_note) {
        m_note = note;
        qCDebug(lcPlatform).noquote() << note;
        Q_EMIT noteChanged(m_note);
    }
}

void ReportedWindowSource::refuse(const QString &sender, const QString &why)
{
    if (!m_refusalMinute.isValid() || m_refusalMinute.hasExpired(RefusalMinuteMs)) {
        m_refusalMinute.start();
        m_refusalLines = 0;
    }
    if (m_refusalLines == MaxRefusalLines) {
        ++m_refusalsNotLogged;
        return;
    }
    ++m_refusalLines;
    qCWarning(lcPlatform).noquote()
        << "window report from" << (sender.isEmpty() ? QStringLiteral("(unknown)") : sender) << "dropped:" << why
        << (m_refusalsNotLogged > 0 ? QStringLiteral("(%1 more were dropped unlogged before)").arg(m_refusalsNotLogged)
                                    : QString());
    m_refusalsNotLogged = 0;
}

QString ReportedWindowSource::fallbackSentence()
{
    return tr("Only XWayland windows are recorded.");
}
