#pragma once

#include <QObject>

class QDockWidget;
class QMainWindow;

// Keeps a top or bottom dock's share of the main window's height when the window is resized, so
// that maximising gives the dock its part of the new room instead of all of it going to the
// central widget.
class DockShare : public QObject
{
    Q_OBJECT

public:
    DockShare(QMainWindow *window, QDockWidget *dock);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMainWindow *m_window;
    QDockWidget *m_dock;
};
