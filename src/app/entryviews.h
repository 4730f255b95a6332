#pragma once

#include "settingsfile.h"

#include <QDate>
#include <QList>
#include <QObject>

class EntriesList;
class EntryDayModel;
class EntryTreeView;
class TimeTree;
struct WindowInfo;
class QComboBox;
class QDateTime;
class QLabel;

// The unlinked and the linked entry views with the models behind them: which day, threshold,
// filter and grouping they show, rebuilding them, and which nodes stay open when they are rebuilt.
class EntryViews : public QObject
{
    Q_OBJECT

public:
    // None of the widgets is owned.
    EntryViews(TimeTree *unlinked, QLabel *unlinkedTotal, EntriesList *linked, QLabel *linkedTotal,
               QObject *parent = nullptr);

    TimeTree *unlinkedView() const { return m_unlinkedView; }
    EntriesList *linkedView() const { return m_linkedView; }
    // Replaces the models (not owned, either may be null); the views show them from attach() on.
    void setModels(EntryDayModel *unlinked, EntryDayModel *linked);
    EntryDayModel *unlinkedModel() const { return m_unlinked; }
    EntryDayModel *linkedModel() const { return m_linked; }

    // Fills both views with `day`, applies the column layout and the header state last saved.
    void attach(const QDate &day, int hideUnder, bool groupByHour);
    void showDay(const QDate &day);
    void setHideUnder(int seconds);
    void setGroupByHour(bool on);
    // Filters the unlinked view; it then shows everything open, or the nodes that were open.
    void applyFilter(const QString &text, bool keepExpandedNodes);
    // Rebuilds both views, each keeping the nodes that were open.
    void reloadKeepingExpandedNodes();
    void saveExpandedNodes();
    void restoreExpandedNodes();
    void reloadUnlinkedKeepingExpandedNodes();
    void reloadLinkedKeepingExpandedNodes();
    // While the window is hidden the views let go of the day: nodes, open nodes, selections and scroll places
    // are kept aside, stretches recorded meanwhile wait, and wake() rebuilds the day as it was.
    void rest();
    void wake();
    // A stretch the recorder stored; shown when it started on `shownDay`.
    void addRecorded(const QDate &shownDay, const QDateTime &start, qint64 entryId);

    // The application ids of the rows selected in the unlinked view.
    QList<int> selectedAppIds() const;
    // The headers' layout for the settings file; without a model, what the last run saved.
    void saveHeaders(SettingsFile::WindowValues &window) const;

    // The hide-under choices, with the stored one current.
    static void fillHideUnderChoices(QComboBox *combo, int seconds);

Q_SIGNALS:
    // Some day may have gained or lost its last unlinked time.
    void datesWithZeroTimeChanged();
    // A view was built afresh.
    void rebuilt();

private:
    void attachModel(EntryTreeView *view, EntryDayModel *model, QLabel *totalLabel, const QDate &day, int hideUnder);
    void reload();
    void reloadUnlessResting(EntryDayModel *model);
    // Every unlinked node open, the linked ones two levels deep; a resting view opens them so when it wakes.
    void openUnlinkedAfresh();
    void openLinkedAfresh();

    TimeTree *m_unlinkedView;
    QLabel *m_unlinkedTotal;
    EntriesList *m_linkedView;
    QLabel *m_linkedTotal;
    EntryDayModel *m_unlinked = nullptr;
    EntryDayModel *m_linked = nullptr;
    bool m_resting = false;
    bool m_unlinkedAfresh = false;
    bool m_linkedAfresh = false;
    int m_unlinkedScroll = 0;
    int m_linkedScroll = 0;
};
