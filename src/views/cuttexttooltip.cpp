#include "cuttexttooltip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

bool CutTextToolTip::show(QAbstractItemView *view, const QHelpEvent *event)
{
    const QModelIndex index = view->indexAt(event->pos());
    if (!index.isValid() || index.data(Qt::ToolTipRole).isValid()) {
        return false;
    }
    const QString text = index.data().toString();
    const QRect cell = view->visualRect(index);
    // The icon and the cell's margins take part of the width too.
    const int icon = index.data(Qt::DecorationRole).isNull() ? 0 : view->iconSize().width() + 8;
    if (text.isEmpty() || view->fontMetrics().horizontalAdvance(text) <= cell.width() - icon - 8) {
        return false;
    }
    // Rich text, so that a recorded title or a task name can never be taken for markup.
    QToolTip::showText(event->globalPos(), QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped()), view->viewport(),
                       cell);
    return true;
}
