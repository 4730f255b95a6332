#include "windowdocks.h"

#include "dockshare.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

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

// Draws each separator between the panels as a thin line along its middle, in the highlight colour
// under the mouse: visible enough to find, quiet enough not to frame every panel twice.
class DockSeparatorStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_IndicatorDockWidgetResizeHandle) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRect area = option->rect;
        const bool hovered = option->state & State_MouseOver;
        const int thickness = hovered ? 3 : 1;
        const QRect line = area.width() < area.height()
                               ? QRect(area.center().x() - thickness / 2, area.top(), thickness, area.height())
                               : QRect(area.left(), area.center().y() - thickness / 2, area.width(), thickness);
        painter->fillRect(line, option->palette.color(hovered ? QPalette::Highlight : QPalette::Mid));
    }
};

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
    offerInMenu(linked, QStringLiteral("Linked &Entries"), viewMenu);
    QDockWidget *timeline =
        addDock(window, QStringLiteral("Top"), QStringLiteral("Timeline"), Qt::TopDockWidgetArea, panels.timeline);
    offerInMenu(timeline, QStringLiteral("T&imeline"), viewMenu);
    auto *separators = new DockSeparatorStyle;
    separators->setParent(window);
    window->setStyle(separators);
}
