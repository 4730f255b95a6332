#include "updateschedule.h"

#include "settings.h"
#include "updatechecker.h"

UpdateSchedule::UpdateSchedule(std::function<UpdateChecker *()> checker, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_checker(std::move(checker))
    , m_window(window)
{
    connect(&m_timer, &QTimer::timeout, this, &UpdateSchedule::checkInBackground);
}

void UpdateSchedule::start()
{
    if (Settings::instance()->value(Setting::CheckForUpdates)) {
        m_timer.start(IntervalMs);
    } else {
        m_timer.stop();
    }
    checkInBackground();
}

void UpdateSchedule::checkWithUi()
{
    if (UpdateChecker *checker = m_checker()) {
        checker->setAppcastUrl(Settings::instance()->value(Setting::UpdateFeedUrl));
        checker->checkWithUi(m_window);
    }
}

void UpdateSchedule::checkInBackground()
{
    UpdateChecker *checker = m_checker();
    if (checker && Settings::instance()->value(Setting::CheckForUpdates)) {
        checker->setAppcastUrl(Settings::instance()->value(Setting::UpdateFeedUrl));
        checker->checkInBackground(m_window);
    }
}
