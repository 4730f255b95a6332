#pragma once

#include "desktopappmetadata.h"
#include "foregroundwindow.h"
#include "windowreport.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>

// The window in front as a helper inside the compositor reports it (GNOME Shell extension, KWin
// script): reports arrive as events and the latest trusted one answers every sample. While the
// helper does not answer, samples come from the fallback (XWayland windows through X11) and note()
// tells the user why native windows are missing.
class ReportedWindowSource : public QObject, public ForegroundWindowSource
{
    Q_OBJECT

public:
    static constexpr int MaxRefusalLines = 10;

    ForegroundSample sample() override;
    QString windowText(quint64 window) override;
    quint64 parentWindow(quint64 window) override;
    // Something can always be seen: the helper may start answering at any time.
    bool isAvailable() const override { return true; }
    QString problem() const override { return {}; }

    // The helper answers and its reports are used.
    bool isLive() const { return m_report.has_value(); }
    // Why only XWayland windows are recorded now, for the user; empty while the helper answers.
    QString note() const override { return m_note; }

Q_SIGNALS:
    void noteChanged(const QString &note);
    // A trusted report was taken (also when nothing changed); tests wait for it.
    void reportAccepted();

protected:
    ReportedWindowSource(std::unique_ptr<ForegroundWindowSource> fallback, QObject *parent);

    void accept(const WindowReport &report);
    // The helper stopped answering (or never did): back to the fallback, with `note` for the user.
    void lose(const QString &note);
    // Logs a refused call or signal. Nothing of it is used. Anyone on the bus can send them: beyond
    // MaxRefusalLines a minute they are only counted, so they cannot fill the debug log.
    void refuse(const QString &sender, const QString &why);
    // The first sentence of every note: what is still recorded.
    static QString fallbackSentence();

private:
    std::unique_ptr<ForegroundWindowSource> m_fallback;
    std::optional<WindowReport> m_report;
    // Names the program by its app id when its process cannot be read (another mount namespace).
    DesktopAppMetadata m_desktopEntries;
    QString m_note;
    QElapsedTimer m_refusalMinute;
    int m_refusalLines = 0;
    int m_refusalsNotLogged = 0;
};
