#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class UpdateChecker;
class QWidget;

// When to look for a newer release: quietly at start-up and then daily while the settings ask
// for it, and on demand with the checker's own dialogs.
class UpdateSchedule : public QObject
{
    Q_OBJECT

public:
    static constexpr int IntervalMs = 24 * 60 * 60 * 1000;

    // `checker` gives the checker in use (it may be replaced or null); `window` parents its dialogs.
    UpdateSchedule(std::function<UpdateChecker *()> checker, QWidget *window, QObject *parent = nullptr);

    // Checks quietly now, and daily from now, when the settings ask for it.
    void start();
    void checkWithUi();

private:
    void checkInBackground();

    std::function<UpdateChecker *()> m_checker;
    QWidget *m_window;
    QTimer m_timer;
};
