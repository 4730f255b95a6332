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
    virtual void checkWithUi(QWidget *parent) = 0;
    virtual void cleanup() = 0;
};

// Checks nothing; used until a real checker is installed.
class NullUpdateChecker final : public UpdateChecker
{
public:
    void setAppcastUrl(const QString &) override {}
    void init() override {}
    void checkWithUi(QWidget *) override {}
    void cleanup() override {}
};
