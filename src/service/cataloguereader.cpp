#include "cataloguereader.h"

#include "replyshape.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace {

// A name as the service sent it: bytes of UTF-8 kept one character per byte.
QString decodedName(const QXmlStreamAttributes &attributes)
{
    const QStringView wire = attributes.value(QLatin1String("name"));
    const bool ascii = std::all_of(wire.cbegin(), wire.cend(), [](QChar c) { return c.unicode() < 0x80; });
    return ascii ? wire.toString() : QString::fromUtf8(wire.toLatin1());
}

qint64 idOf(const QXmlStreamAttributes &attributes)
{
    return attributes.value(QLatin1String("id")).toLongLong();
}

ProjectsCatalogue::TaskState stateOf(const QXmlStreamAttributes &attributes)
{
    const QStringView complete = attributes.value(QLatin1String("complete"));
    if (complete == QLatin1String("0")) {
        return ProjectsCatalogue::TaskState::Open;
    }
    return complete == QLatin1String("1") ? ProjectsCatalogue::TaskState::Complete
                                          : ProjectsCatalogue::TaskState::Other;
}

// The depth at which the element that matters was opened: elements are taken as the document's first of
// their name below the one above them (the first "projects", a project's first "task_lists" and "client",
// a task list's first "tasks"), and everything of a name below those counts, at any depth.
class Scope
{
public:
    bool isOpen() const { return m_depth > 0; }
    void open(int depth)
    {
        m_depth = depth;
        m_seen = true;
    }
    bool canOpen() const { return !m_seen; }
    void closeAt(int depth)
    {
        if (m_depth == depth) {
            m_depth = 0;
        }
    }
    void reset() { *this = Scope(); }

private:
    int m_depth = 0;
    bool m_seen = false;
};

class StreamedCatalogue
{
public:
    explicit StreamedCatalogue(QList<ProjectsCatalogue::Project> *projects)
        : m_projects(projects)
    {}

    void start(QStringView name, const QXmlStreamAttributes &attributes, int depth)
    {
        if (!m_projectsScope.isOpen()) {
            if (m_projectsScope.canOpen() && name == QLatin1String("projects")) {
                m_projectsScope.open(depth);
            }
            return;
        }
        if (name == QLatin1String("project")) {
            m_projects->append({idOf(attributes), decodedName(attributes), 0, QString(), {}});
            m_clientSeen = false;
            m_taskListsScope.reset();
            m_tasksScope.reset();
            return;
        }
        if (m_projects->isEmpty()) {
            return;
        }
        ProjectsCatalogue::Project &project = m_projects->last();
        if (name == QLatin1String("client") && !m_clientSeen) {
            m_clientSeen = true;
            project.clientId = idOf(attributes);
            project.clientName = decodedName(attributes);
        } else if (name == QLatin1String("task_lists") && m_taskListsScope.canOpen()) {
            m_taskListsScope.open(depth);
        } else if (name == QLatin1String("task_list") && m_taskListsScope.isOpen()) {
            project.taskLists.append({idOf(attributes), decodedName(attributes), false, {}});
            m_tasksScope.reset();
        } else if (name == QLatin1String("tasks") && m_tasksScope.canOpen() && !project.taskLists.isEmpty()) {
            m_tasksScope.open(depth);
            project.taskLists.last().hasTasks = true;
        } else if (name == QLatin1String("task") && m_tasksScope.isOpen()) {
            project.taskLists.last().tasks.append({idOf(attributes), decodedName(attributes), stateOf(attributes)});
        }
    }

    void end(int depth)
    {
        m_projectsScope.closeAt(depth);
        m_taskListsScope.closeAt(depth);
        m_tasksScope.closeAt(depth);
    }

private:
    QList<ProjectsCatalogue::Project> *m_projects;
    Scope m_projectsScope;
    Scope m_taskListsScope;
    Scope m_tasksScope;
    bool m_clientSeen = false;
};

// The reader copies what it is given into UTF-8 of its own: given in slices, a large reply is not held twice.
constexpr qsizetype SliceLength = 64 * 1024;

QString readStream(const QString &xml, QList<ProjectsCatalogue::Project> *projects)
{
    QXmlStreamReader reader;
    qsizetype fed = 0;
    const auto feed = [&] {
        reader.addData(xml.mid(fed, SliceLength));
        fed += SliceLength;
    };
    feed();
    ReplyShape shape;
    StreamedCatalogue catalogue(projects);
    int depth = 0;
    bool rootSeen = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && fed < xml.size()) {
            feed();
            continue;
        }
        const QString problem = shape.problem(reader);
        if (!problem.isEmpty()) {
            return problem;
        }
        if (reader.isStartElement()) {
            ++depth;
            const QXmlStreamAttributes attributes = reader.attributes();
            if (!rootSeen) {
                rootSeen = true;
                if (attributes.value(QLatin1String("status")) != QLatin1String("ok")) {
                    return QStringLiteral("The reply's status is not \"ok\".");
                }
            }
            catalogue.start(reader.name(), attributes, depth);
        } else if (reader.isEndElement()) {
            catalogue.end(depth--);
        }
    }
    return reader.hasError() ? reader.errorString() : QString();
}

} // namespace

bool CatalogueReader::read(const QString &xml, QList<ProjectsCatalogue::Project> *projects, QString *why)
{
    projects->clear();
    QString problem = xml.isEmpty() ? QStringLiteral("The reply is empty.") : ReplyShape::sizeProblem(xml);
    if (problem.isEmpty()) {
        problem = readStream(xml, projects);
    }
    if (!problem.isEmpty()) {
        projects->clear();
    }
    if (why) {
        *why = problem;
    }
    return problem.isEmpty();
}

bool CatalogueReader::load(const QString &xml, ProjectsCatalogue &catalogue)
{
    QList<ProjectsCatalogue::Project> projects;
    if (!read(xml, &projects)) {
        catalogue.markUnusable();
        return false;
    }
    catalogue.replace(std::move(projects));
    return true;
}
