#include "projectsfilterindex.h"

#include <algorithm>
#include <limits>

namespace {

// Names come as XML, which cannot carry it: no word matches across two names.
constexpr QChar nameEnd = QChar(0);

} // namespace

ProjectsFilterIndex::ProjectsFilterIndex(const QList<ProjectsCatalogue::ShownClient> &clients)
{
    for (const ProjectsCatalogue::ShownClient &client : clients) {
        const int clientRow = size();
        // A client's name never matches a word: it is kept for what it holds.
        add(Client, client.id, client.name, -1);
        for (const ProjectsCatalogue::ShownProject &project : client.projects) {
            const int projectRow = size();
            add(Project, project.id, project.name, clientRow, project.position);
            for (const ProjectsCatalogue::TaskList &taskList : project.taskLists) {
                const int taskListRow = size();
                add(TaskList, taskList.id, taskList.name, projectRow);
                for (const ProjectsCatalogue::Task &task : taskList.tasks) {
                    add(Task, task.id, task.name, taskListRow);
                }
            }
        }
    }
}

void ProjectsFilterIndex::add(Level level, qint64 id, const QString &name, int parent, int position)
{
    m_parents.push_back(parent);
    m_levels.push_back(level);
    m_ids.push_back(id);
    m_shownNames.push_back(name);
    m_positions.push_back(position);
    m_nameStarts.push_back(m_names.size());
    // Folding is per character, as a case-insensitive search compares.
    if (level != Client) {
        m_names += name.toCaseFolded();
    }
    m_names += nameEnd;
}

int ProjectsFilterIndex::find(Level level, qint64 id) const
{
    for (int row = 0; row < size(); ++row) {
        if (m_ids[row] == id && m_levels[row] == level) {
            return row;
        }
    }
    return -1;
}

std::vector<char> ProjectsFilterIndex::rowsHolding(const QString &foldedWord) const
{
    std::vector<char> holding(m_nameStarts.size());
    const qsizetype rows = qsizetype(m_nameStarts.size());
    qsizetype row = 0;
    for (qsizetype at = rows == 0 ? -1 : m_names.indexOf(foldedWord); at >= 0;) {
        // Hits come in order and often in every name: stepping beats a binary search.
        while (row + 1 < rows && m_nameStarts[row + 1] <= at) {
            ++row;
        }
        holding[row] = true;
        // One hit is enough for a name: go on with the next one.
        at = row + 1 == rows ? -1 : m_names.indexOf(foldedWord, m_nameStarts[row + 1]);
    }
    return holding;
}

// The rule of the catalogue's filter: a task is kept when every word is in its project's, its task list's
// or its own name; a task list without a kept task when every word is in its project's or its own name.
// A row is covered by a word when its name or an ancestor's holds it; it is wanted when covered by all.
const std::vector<char> &ProjectsFilterIndex::rowsHoldingCached(const QString &foldedWord)
{
    const auto holdingWord = [&](const Holding &holding) { return holding.word == foldedWord; };
    // A word typed twice is looked for once.
    const auto now = std::find_if(m_holdings.cbegin(), m_holdings.cend(), holdingWord);
    if (now != m_holdings.cend()) {
        return now->rows;
    }
    const auto last = std::find_if(m_lastHoldings.begin(), m_lastHoldings.end(), holdingWord);
    m_holdings.push_back({foldedWord, last == m_lastHoldings.end() ? rowsHolding(foldedWord) : std::move(last->rows)});
    return m_holdings.back().rows;
}

void ProjectsFilterIndex::markWanted(const QStringList &words)
{
    const int rows = size();
    // Kept from keystroke to keystroke: fresh arrays this large would each cost page faults.
    std::vector<char> &covered = m_covered;
    std::vector<char> &inPath = m_inPath;
    covered.assign(rows, true);
    inPath.assign(rows, false);
    m_holdings.clear();
    m_holdings.reserve(words.size());
    for (const QString &word : words) {
        const std::vector<char> &holding = rowsHoldingCached(word.toCaseFolded());
        for (int row = 0; row < rows; ++row) {
            // A parent comes before its children, so its own mark already counts its ancestors'.
            const int parent = m_parents[row];
            inPath[row] = holding[row] || (parent >= 0 && inPath[parent]);
            covered[row] = covered[row] && inPath[row];
        }
    }
    m_lastHoldings.swap(m_holdings);
    // Children come after their parent: going backwards, a row is complete when it is reached.
    std::vector<char> &wanted = m_wanted;
    wanted.assign(rows, false);
    for (int row = rows - 1; row >= 0; --row) {
        if (m_levels[row] == Task || m_levels[row] == TaskList) {
            wanted[row] = wanted[row] || covered[row];
        }
        if (wanted[row] && m_parents[row] >= 0) {
            wanted[m_parents[row]] = true;
        }
    }
}

const std::vector<int> &ProjectsFilterIndex::kept(const QStringList &words)
{
    markWanted(words);
    const std::vector<char> &wanted = m_wanted;
    struct Placed
    {
        int place;
        int row;
    };
    std::vector<Placed> clients;
    for (int row = 0; row < size(); ++row) {
        if (!wanted[row]) {
            continue;
        }
        if (m_levels[row] == Client) {
            clients.push_back({std::numeric_limits<int>::max(), row});
        } else if (m_levels[row] == Project && clients.back().place == std::numeric_limits<int>::max()) {
            clients.back().place = m_positions[row];
        }
    }
    std::stable_sort(clients.begin(), clients.end(),
                     [](const Placed &a, const Placed &b) { return a.place < b.place; });
    std::vector<int> &kept = m_kept;
    kept.clear();
    for (const Placed &client : clients) {
        kept.push_back(client.row);
        for (int row = client.row + 1; row < size() && m_levels[row] != Client; ++row) {
            if (wanted[row]) {
                kept.push_back(row);
            }
        }
    }
    return kept;
}
