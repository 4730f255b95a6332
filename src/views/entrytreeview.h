#pragma once

#include "settings.h"

#include <QItemSelection>
#include <QList>
#include <QPair>
#include <QPersistentModelIndex>
#include <QSet>
#include <QTreeView>

class QMenu;
class TreeModel;

// What the unlinked and the linked entry views share: the working set of an action, removing it
// with its time, the context menu placement, and saving and restoring the expanded nodes.
class EntryTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit EntryTreeView(QWidget *parent = nullptr);

    TreeModel *entryModel() const;

    // The context menu for the node at `index` (invalid: empty space). The caller owns it.
    virtual QMenu *createContextMenu(const QModelIndex &index) = 0;
    // Where a context menu opens: at the mouse, or under the first selected row from the keyboard.
    QPoint contextMenuPosition(const QContextMenuEvent *event) const;

    // Narrowest share bar worth drawing.
    static constexpr int MinimumBarWidth = 60;
    // The name column stretches; time and bar keep their widths, at least wide enough for the
    // longest time text; the empty spacer column is hidden. Needs the model attached.
    void applyColumnLayout();
    // Where the view is wider than its names need, the name column stops at the widest name, so
    // that times stay beside their titles (a maximised window); else it stretches.
    void fitNameColumn();
    int timeColumnMinimumWidth() const;

    // What an empty view says instead, e.g. how its rows come about.
    void setEmptyText(const QString &text) { m_emptyText = text; }

    // (node type, path) of the nodes last saved as expanded.
    QList<QPair<QString, QString>> savedExpandedNodes() const { return m_expandedNodes; }

    // Orders entry indexes so that removing them one by one keeps the rest valid: by parent first,
    // then the larger row first.
    static bool removesBefore(const QModelIndex &left, const QModelIndex &right);

public Q_SLOTS:
    void saveExpandedNodes();
    void restoreExpandedNodes();
    // Keeps the selected rows and the current one across a rebuild that replaces every node.
    void saveSelection();
    void restoreSelection();
    // Actions that reach the service are offered only while signed in.
    void setSignedIn(bool signedIn) { m_signedIn = signedIn; }

protected:
    bool isSignedIn() const { return m_signedIn; }
    QAction *addViewAction(const QString &text, const QKeySequence &shortcut);
    // Selected indexes in column 0.
    QModelIndexList selectedNames() const;
    // The entries an action works on, in removal order, with their summed time.
    struct WorkingSet
    {
        QList<QPersistentModelIndex> entries;
        QModelIndexList indexes;
        qint64 total = 0;
        bool isEmpty() const { return entries.isEmpty(); }
    };
    // Selects the titles of every selected application, then collects the selected entries.
    WorkingSet workingSet();
    // Whether to delete or unlink the selected entry or entries, with their time, as both views ask it.
    enum class Removal { Delete, Unlink };
    static QString confirmationText(Removal removal, int count, qint64 total);
    // Takes the entries with their time out of the tree and out of the total.
    void removeFromView(const QList<QPersistentModelIndex> &entries);
    // Column widths 80 and 120, then the header as the settings saved it, then the column layout.
    void restoreHeaderState(SettingKey<QByteArray> stateKey, SettingKey<QByteArray> geometryKey);
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // A name cut short by its column shows whole in a tool tip.
    bool viewportEvent(QEvent *event) override;
    void updateGeometries() override;

private:
    QString nodeKey(const QModelIndex &index) const;
    void saveBelow(const QModelIndex &parent, const QString &prefix);
    void restoreBelow(const QModelIndex &parent, const QString &prefix);
    // A row's type and the texts on the way to it: the same row in a tree rebuilt from the same day.
    QString rowPath(const QModelIndex &index) const;
    void reselectBelow(const QModelIndex &parent, QItemSelection *selection, QModelIndex *current) const;

    QList<QPair<QString, QString>> m_expandedNodes;
    QSet<QString> m_selectedRows;
    QString m_currentRow;
    bool m_signedIn = false;
    QString m_emptyText;
    bool m_fittingNames = false;
};
