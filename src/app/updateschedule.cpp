#include "updateschedule.h"

#include "settings.h"
#include "updatechecker.h"

namespace {
QVariant setting(const char *name)
{
    return Settings::instance()->value(QString::fromLatin1(name));
}
} // namespace

UpdateSchedule::UpdateSchedule(std::function<UpdateChecker *()> checker, QWidget *window, QObject *parent)
    : QObject(parent)
    , m_checker(std::move(checker))
    , m_window(window)
{
    connect(&m_timer, &QTimer::timeout, this, &UpdateSchedule::checkInBackground);
}

void UpdateSchedule::start()
{
    if (setting("CheckForUpdates").toBool()) {
        m_timer.start(IntervalMs);
    } else {
        m_timer.stop();
    }
    checkInBackground();
}

void UpdateSchedule::checkWithUi()
{
    if (UpdateChecker *checker = m_checker()) {
        checker->setAppcastUrl(setting("UpdateFeedUrl").toString());
        checker->checkWithUi(m_window);
    }
}

void UpdateSchedule::checkInBackground()
{
    UpdateChecker *checker = m_checker();
    if (checker && setting("CheckForUpdates").toBool()) {
        checker->setAppcastUrl(setting("UpdateFeedUrl").toString());
        checker->checkInBackground(m_window);
    }
}
