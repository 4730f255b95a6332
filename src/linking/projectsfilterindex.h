#pragma once

#include "projectscatalogue.h"

#include <QString>
#include <QStringList>

#include <vector>

// Every row the projects tree can show, depth first, beside the names they show, so a filter keystroke
// finds the rows it keeps without building anything: a large account has over a hundred thousand rows.
// Row numbers are the index's own and stay fixed while it lives.
class ProjectsFilterIndex
{
public:
    enum Level : quint8 { Client, Project, TaskList, Task };

    // The rows of the tree built for an empty filter.
    explicit ProjectsFilterIndex(const QList<ProjectsCatalogue::ShownClient> &clients);

    int size() const { return int(m_parents.size()); }
    Level level(int row) const { return m_levels[row]; }
    qint64 id(int row) const { return m_ids[row]; }
    // Empty for the client that gathers the projects without one.
    const QString &name(int row) const { return m_shownNames[row]; }
    // -1 for a client.
    int parent(int row) const { return m_parents[row]; }
    // The row of this level and id, or -1.
    int find(Level level, qint64 id) const;

    // The rows the words keep, each after its parent, with the clients in the order a build for the
    // words gives them: by the catalogue place of their first kept project.
    const std::vector<int> &kept(const QStringList &words);
    // Whether the last kept() kept the row.
    bool isKept(int row) const { return m_wanted[row]; }

private:
    void add(Level level, qint64 id, const QString &name, int parent, int position = 0);
    // Per row: whether its name holds the folded word.
    std::vector<char> rowsHolding(const QString &foldedWord) const;
    // Per row in m_wanted: whether the words keep it.
    void markWanted(const QStringList &words);
    // The rows holding the word, remembered for the words of the last keystroke: the next one mostly
    // repeats all but the last word.
    const std::vector<char> &rowsHoldingCached(const QString &foldedWord);

    // One array per field: a keystroke walks parents and levels of every row, and nothing else.
    std::vector<int> m_parents;
    std::vector<Level> m_levels;
    std::vector<qint64> m_ids;
    std::vector<QString> m_shownNames;
    // Per project row, its place in the catalogue; 0 for other rows.
    std::vector<int> m_positions;
    // The case-folded names of all rows one after another (a client's as empty), each closed by a
    // character no name holds: a word is looked for once in the whole text instead of once per name.
    QString m_names;
    // Where each row's name starts in m_names.
    std::vector<qsizetype> m_nameStarts;
    struct Holding
    {
        QString word;
        std::vector<char> rows;
    };
    std::vector<Holding> m_lastHoldings;
    std::vector<Holding> m_holdings;
    std::vector<char> m_covered;
    std::vector<char> m_inPath;
    std::vector<char> m_wanted;
    std::vector<int> m_kept;
};
