#pragma once

class QMainWindow;
class QMenu;
class QWidget;

// Lays the main window out around its central widget: the side panels, the linked entries and the
// timeline sit in docks without title bars, and the View menu shows and hides the last two.
namespace WindowDocks {

struct Panels
{
    QWidget *central;
    QWidget *left;
    QWidget *right;
    QWidget *linkedEntries;
    QWidget *timeline;
};

void create(QMainWindow *window, const Panels &panels, QMenu *viewMenu);

} // namespace WindowDocks
