#pragma once

#include "entrydaymodel.h"

class EntryTreeView;
class TreeModel;

// Lets the main window's controls drive a TreeModel and keeps its entry view in step with it
// (expanding, collapsing and keeping expanded nodes across sorts).
class TreeModelAdapter : public EntryDayModel
{
    Q_OBJECT

public:
    // Creates the model; `view` (not owned) is the view that will show it.
    TreeModelAdapter(bool linked, EntryTreeView *view, QObject *parent = nullptr);

    TreeModel *treeModel() const { return m_model; }

    QAbstractItemModel *itemModel() override;
    void setDay(const QDate &day) override;
    void setHideUnder(int seconds) override;
    void setFilterText(const QString &text) override;
    void setGroupByHour(bool on) override;
    void reload() override;
    void release() override;
    void addEntry(const QDateTime &start, qint64 entryId) override;
    qint64 totalTime() const override;
    qint64 nodeTime(const QModelIndex &index) const override;
    QString nodeType(const QModelIndex &index) const override;

private:
    TreeModel *m_model;
};
