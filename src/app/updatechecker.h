#pragma once

#include <QString>

class QWidget;

// Looks for newer releases. Set up once after the main window is shown, asked from the menus and
// the about box, cleaned up with the main window.
class UpdateChecker
{
public:
    virtual ~UpdateChecker() = default;
    virtual void setAppcastUrl(const QString &url) = 0;
    virtual void init() = 0;
    // Asked by the user: every outcome is shown.
    virtual void checkWithUi(QWidget *parent) = 0;
    // At start-up and daily: only a newer release is shown; failures go to the log.
    virtual void checkInBackground(QWidget *parent) = 0;
    virtual void cleanup() = 0;
};
