#pragma once

#include "projectsfilterindex.h"

#include <QAbstractItemModel>
#include <QIcon>
#include <QSet>

#include <memory>
#include <vector>

// The projects tree's rows as a model that holds only the rows the filter keeps: a keystroke resets it
// from the index's answer instead of hiding and showing a hundred thousand items one by one.
// Rows carry the remote id under IdRole and the type text ("client", "project", "tasklist", "task")
// under TypeRole; tasks take dropped entries.
class ProjectsTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole + 1;
    static constexpr int TypeRole = Qt::UserRole + 2;
    using Level = ProjectsFilterIndex::Level;

    explicit ProjectsTreeModel(QObject *parent = nullptr);
    ~ProjectsTreeModel() override;

    // The rows of a catalogue, none shown yet; null forgets them. Struck-out tasks are forgotten too.
    void setRows(std::unique_ptr<ProjectsFilterIndex> rows);
    const ProjectsFilterIndex *rows() const { return m_rows.get(); }
    // Shows the rows the words keep, then each of `pinned` whose parent shows. False when those are the
    // rows shown already: the model stays as it is then.
    bool show(const QStringList &words, const std::vector<int> &pinned = {});

    // The index's row behind a shown index, or -1; and back: an invalid index when it is not shown.
    int rowOf(const QModelIndex &index) const;
    QModelIndex indexOf(int row) const;
    Level level(const QModelIndex &index) const { return m_rows->level(rowOf(index)); }
    qint64 id(const QModelIndex &index) const { return m_rows->id(rowOf(index)); }
    static QString typeText(Level level);

    // A task being completed shows struck out.
    void strikeOut(qint64 taskId);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    // The slot of the invisible root in the per-row arrays.
    int rootSlot() const { return m_rows ? m_rows->size() : 0; }
    int slotOf(const QModelIndex &parent) const { return parent.isValid() ? int(parent.internalId()) : rootSlot(); }

    std::unique_ptr<ProjectsFilterIndex> m_rows;
    // Per index row and the root: where its shown children start in m_children and how many there are,
    // and its own place among its parent's shown children (-1: not shown).
    std::vector<int> m_firstChild;
    std::vector<int> m_childCount;
    std::vector<int> m_shownAt;
    std::vector<int> m_children;
    // The rows shown, in the order show() took them, to tell whether a keystroke changes anything.
    std::vector<int> m_shown;
    // The rows the next keystroke shows, kept to spare fresh allocations.
    std::vector<int> m_next;
    QIcon m_levelIcons[4];
    QSet<qint64> m_struckOut;
};
