#pragma once

#include <QColor>
#include <QRect>
#include <QStyledItemDelegate>

#include <functional>

// Draws, in the time column of the entry views, each node's share of the day as a coloured bar.
// The model is reached through two functions so that any entry model can feed it.
class ListItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Node
    {
        qint64 time = 0;
        QString type;
    };
    using NodeReader = std::function<Node(const QModelIndex &)>;
    using TotalReader = std::function<qint64(const QModelIndex &)>;

    ListItemDelegate(NodeReader node, TotalReader total, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Share of the day; 0 when the total is not positive.
    static double ratio(qint64 time, qint64 total);
    // The bar inside `cell` for `ratio`; a null rect when no bar is drawn (1 % or less).
    static QRect barRect(const QRect &cell, double ratio);
    static QColor barColour(const QString &type);

private:
    NodeReader m_node;
    TotalReader m_total;
};
