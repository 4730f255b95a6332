#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

class QAbstractItemModel;
class QIcon;
class QModelIndex;

// What the main window's controls need from the model behind one entry view: the day, the
// hide-under threshold, the filter text, hour grouping, a reload and the day total.
class EntryDayModel : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~EntryDayModel() override = default;

    // The item model the view shows.
    virtual QAbstractItemModel *itemModel() = 0;
    virtual void setDay(const QDate &day) = 0;
    virtual void setHideUnder(int seconds) = 0;
    virtual void setFilterText(const QString &text) = 0;
    virtual void setGroupByHour(bool on) = 0;
    virtual void reload() = 0;
    // Lets go of the day's nodes until the next reload.
    virtual void release() = 0;
    // A stretch the recorder has just stored for the shown day.
    virtual void addEntry(const QDateTime &start, qint64 entryId) = 0;
    // The day total in seconds, and a node's time and kind ("app", "hour", "entry", "project", ...),
    // for the time-share bars.
    virtual qint64 totalTime() const = 0;
    virtual qint64 nodeTime(const QModelIndex &index) const = 0;
    virtual QString nodeType(const QModelIndex &index) const = 0;

Q_SIGNALS:
    // The day total as shown under the views ("0:00:00").
    void totalTimeTextChanged(const QString &text);
    // The total went between zero and non-zero: the calendar's marks may be stale.
    void datesWithZeroTimeChanged();
};
