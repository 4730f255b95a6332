#include "statusnotices.h"

#include "clickablelabel.h"
#include "desktopnotifications.h"
#include "recorder.h"

#include <QDebug>
#include <QProgressBar>
#include <QStatusBar>
#include <QSystemTrayIcon>

namespace {
const QString LinkingNote = QStringLiteral("Linking with Tavro...");
const QString DescribeAwayAction = QStringLiteral("describe-away");
} // namespace

StatusNotices::StatusNotices(QStatusBar *bar, QObject *parent)
    : QObject(parent)
    , m_bar(bar)
    , m_loginIndicator(new ClickableLabel(bar))
    , m_storageWarning(new QLabel(bar))
    , m_progressBar(new QProgressBar(bar))
{
    m_loginIndicator->setObjectName(QStringLiteral("loginIndicator"));
    m_loginIndicator->setTextFormat(Qt::RichText);
    m_loginIndicator->setText(QStringLiteral("Not signed in <img src=':/icons/res/offline.png'>"));
    bar->addPermanentWidget(m_loginIndicator);
    m_storageWarning->setObjectName(QStringLiteral("storageWarning"));
    m_storageWarning->setTextFormat(Qt::RichText);
    m_storageWarning->setStyleSheet(QStringLiteral("color: #b00020; font-weight: bold;"));
    m_storageWarning->hide();
    bar->addPermanentWidget(m_storageWarning);
    m_progressBar->setTextVisible(false);
    m_progressBar->setStyleSheet(QStringLiteral("border: 0px;"));
    m_progressBar->setMaximumSize(250, 16);
    m_progressBar->hide();
    bar->addWidget(m_progressBar);
}

void StatusNotices::setTray(QSystemTrayIcon *icon, std::function<bool()> usable)
{
    m_tray = icon;
    m_trayUsable = std::move(usable);
}

void StatusNotices::setNotifications(DesktopNotifications *notifications)
{
    m_notifications = notifications;
    connect(notifications, &DesktopNotifications::actionInvoked, this, [this](const QString &action) {
        if (action == DescribeAwayAction) {
            Q_EMIT awayDescriptionRequested();
        }
    });
    // Without a notification server the tray's balloon is the next best thing.
    connect(notifications, &DesktopNotifications::notShown, this, [this](const QString &title, const QString &text) {
        if (trayUsable()) {
            m_tray->showMessage(title, text, QSystemTrayIcon::Information);
        }
    });
}

void StatusNotices::notify(const QString &kind, const QString &title, const QString &text, bool warning)
{
    if (m_notifications) {
        m_notifications->notify(kind, title, text);
    } else if (trayUsable()) {
        m_tray->showMessage(title, text, warning ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
    }
}

void StatusNotices::showMessage(const QString &text, int timeout)
{
    m_bar->showMessage(text, timeout);
}

void StatusNotices::showProgress(int minimum, int maximum)
{
    m_progressBar->setRange(minimum, maximum);
    m_progressBar->setValue(minimum);
    m_progressBar->show();
}

void StatusNotices::setProgress(int value)
{
    m_progressBar->setValue(value);
}

void StatusNotices::hideProgress()
{
    m_progressBar->hide();
}

void StatusNotices::linkingStarted()
{
    m_bar->showMessage(LinkingNote);
    showProgress(0, 0);
}

void StatusNotices::linkingFinished(BookingService::LinkResult::Status status)
{
    using Status = BookingService::LinkResult::Status;
    m_progressBar->hide();
    switch (status) {
    case Status::Linked:
        m_bar->showMessage(QStringLiteral("The entries are linked and booked on Tavro."), NoteTimeoutMs);
        return;
    case Status::NotLinked:
        m_bar->showMessage(QStringLiteral("The entries could not be linked and stay unlinked."), NoteTimeoutMs);
        return;
    case Status::Unconfirmed:
    case Status::NotStored:
        m_bar->showMessage(QStringLiteral("The entries are linked, but their booking on Tavro is unconfirmed."),
                           NoteTimeoutMs);
        return;
    }
}

void StatusNotices::showStorageProblem(const QString &problem)
{
    m_storageWarning->setText(problem.isEmpty() ? QString() : QStringLiteral("Not saving: ") + problem.toHtmlEscaped());
    m_storageWarning->setToolTip(problem);
    m_storageWarning->setVisible(!problem.isEmpty());
    if (m_tray) {
        m_tray->setToolTip(problem.isEmpty() ? QStringLiteral("TavroDesk") : QStringLiteral("TavroDesk: ") + problem);
    }
    if (problem.isEmpty()) {
        return;
    }
    qWarning() << problem;
    notify(QStringLiteral("storage"), QStringLiteral("TavroDesk cannot save"), problem, true);
}

void StatusNotices::showStorageFailing(bool failing, const QString &text)
{
    if (!failing) {
        m_bar->showMessage(QStringLiteral("Recorded time is stored again."), NoteTimeoutMs);
        return;
    }
    m_bar->showMessage(text);
    notify(QStringLiteral("storage"), QStringLiteral("Recorded time not stored"), text, true);
}

void StatusNotices::showSessionNote(const QString &note)
{
    if (note.isEmpty()) {
        if (!m_sessionNote.isEmpty() && m_bar->currentMessage() == m_sessionNote) {
            m_bar->clearMessage();
        }
        m_sessionNote.clear();
        return;
    }
    m_sessionNote = note;
    qDebug() << note;
    m_bar->showMessage(note);
    notify(QStringLiteral("session"), QStringLiteral("TavroDesk"), note, true);
}

void StatusNotices::showAwayTime(const QString &title, const QString &message)
{
    if (m_notifications) {
        m_notifications->notify(QStringLiteral("away"), title, message, DescribeAwayAction,
                                QStringLiteral("Describe..."));
    } else if (m_tray) {
        m_tray->showMessage(title, message, QSystemTrayIcon::Information, Recorder::AwayBalloonTimeoutMs);
    }
}
