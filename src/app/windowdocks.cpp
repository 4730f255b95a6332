#include "windowdocks.h"

#include "dockshare.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>

namespace {
// A side panel without a title bar; the View menu may offer to hide it.
QDockWidget *addDock(QMainWindow *window, const QString &name, const QString &title, Qt::DockWidgetArea area,
                     QWidget *content)
{
    auto *dock = new QDockWidget(title, window);
    dock->setObjectName(name);
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setFeatures(QDockWidget::DockWidgetClosable);
    dock->setAllowedAreas(area);
    dock->setWidget(content);
    window->addDockWidget(area, dock);
    return dock;
}

void offerInMenu(QDockWidget *dock, const QString &text, QMenu *menu)
{
    QAction *toggle = dock->toggleViewAction();
    toggle->setText(text);
    menu->addAction(toggle);
}
} // namespace

void WindowDocks::create(QMainWindow *window, const Panels &panels, QMenu *viewMenu)
{
    window->setCentralWidget(panels.central);
    // The bottom dock spans only the width of the central widget.
    window->setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    window->setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    addDock(window, QStringLiteral("Left"), QStringLiteral("Left"), Qt::LeftDockWidgetArea, panels.left);
    addDock(window, QStringLiteral("Right"), QStringLiteral("Right"), Qt::RightDockWidgetArea, panels.right);
    QDockWidget *linked = addDock(window, QStringLiteral("Bottom"), QStringLiteral("Bottom"), Qt::BottomDockWidgetArea,
                                  panels.linkedEntries);
    new DockShare(window, linked);
    offerInMenu(linked, QCoreApplication::translate("WindowDocks", "Linked &Entries"), viewMenu);
    QDockWidget *timeline =
        addDock(window, QStringLiteral("Top"), QStringLiteral("Timeline"), Qt::TopDockWidgetArea, panels.timeline);
    offerInMenu(timeline, QCoreApplication::translate("WindowDocks", "T&imeline"), viewMenu);
    window->setStyleSheet(QStringLiteral("QMainWindow::separator { background: transparent; }"));
}
