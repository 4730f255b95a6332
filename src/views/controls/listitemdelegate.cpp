#include "listitemdelegate.h"

#include "contrast.h"

#include <QApplication>
#include <QPainter>

ListItemDelegate::ListItemDelegate(NodeReader node, TotalReader total, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_node(std::move(node))
    , m_total(std::move(total))
{}

double ListItemDelegate::ratio(qint64 time, qint64 total)
{
    if (total <= 0) {
        return 0.0;
    }
    return double(time) / double(total);
}

QRect ListItemDelegate::barRect(const QRect &cell, double ratio)
{
    if (!(ratio > 0.01)) {
        return {};
    }
    const int x1 = cell.left();
    const int x2 = cell.right();
    const int y1 = cell.top();
    const int y2 = cell.bottom();
    const int h = (y2 - 1) - (y1 + 1);
    const int barHeight = h < 3 ? h + 1 : 4;
    const int top = y1 + 1 + ((h + 1) - barHeight) / 2;
    const int bottom = y2 - 1 - ((h + 1) - barHeight) / 2;
    const int left = x1 + 7;
    const int right = left + int(ratio * double((x2 - 4) - left));
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QColor ListItemDelegate::barColour(const QString &type)
{
    if (type == QLatin1String("entry")) {
        return QColor(207, 207, 207);
    }
    if (type == QLatin1String("task")) {
        return QColor(0, 94, 94);
    }
    if (type == QLatin1String("tasklist")) {
        return QColor(37, 133, 184);
    }
    if (type == QLatin1String("project")) {
        return QColor(166, 55, 78);
    }
    return QColor(0, 168, 0);
}

void ListItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const Node node = m_node(index);
    const QRect bar = barRect(option.rect, ratio(node.time, m_total(index)));
    if (bar.isNull()) {
        return;
    }
    painter->fillRect(bar, Contrast::readable(barColour(node.type), option.palette.color(QPalette::Base)));
}
