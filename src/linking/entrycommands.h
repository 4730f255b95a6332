#pragma once

#include <QObject>
#include <QStringList>

class QWidget;

// Carries out what the user asked of recorded entries in the entry views: deleting them, describing
// away time and titling an application's entries "Private". A failed change is told to the user and
// changes nothing else; a done one is reported so that every view of the entries is rebuilt.
class EntryCommands : public QObject
{
    Q_OBJECT

public:
    // `parent` owns this object and parents the error boxes.
    explicit EntryCommands(QWidget *parent);

    bool deleteEntries(const QStringList &ids);
    bool describeAwayTime(const QStringList &ids, const QString &description);
    // Titles every entry of the applications at `paths` "Private", keeping its time.
    bool replaceTitlesWithPrivate(const QStringList &paths);

Q_SIGNALS:
    // Stored entries went or changed their titles: the views, the timeline and the calendar's marks are out of date.
    void entriesChanged();

private:
    void reportFailure(const QString &what, const QString &error);

    QWidget *m_parent;
};
