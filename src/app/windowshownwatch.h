#pragma once

#include <QObject>

class QWidget;

// Tells when a window is shown and when it is hidden (closed to the tray, minimised), so that what only
// the window needs can rest while nobody sees it.
class WindowShownWatch : public QObject
{
    Q_OBJECT

public:
    explicit WindowShownWatch(QWidget *window);
    bool isShown() const { return m_shown; }

Q_SIGNALS:
    void shownChanged(bool shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_shown;
};
