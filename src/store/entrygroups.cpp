#include "entrygroups.h"

#include "entrytime.h"
#include "sqlitestatement.h"
#include "stampparser.h"
#include "timetext.h"

#include <QByteArray>
#include <QHash>

namespace {

// Groups are told apart by day text, application and title, each turned into a number once.
struct GroupKey
{
    int day;
    qint64 application;
    int title;
    bool operator==(const GroupKey &other) const
    {
        return day == other.day && application == other.application && title == other.title;
    }
    friend size_t qHash(const GroupKey &key, size_t seed = 0)
    {
        return qHashMulti(seed, key.day, key.application, key.title);
    }
};

} // namespace

QString EntryGroups::query()
{
    return QStringLiteral("SELECT id, title, application_id, start_time, end_time FROM entries "
                          "WHERE start_time >= :from AND start_time <= :to AND ext_task_id IS NULL");
}

StoreResult EntryGroups::load(const QDate &from, const QDate &to, QList<EntryGroup> *groups)
{
    groups->clear();
    SqliteStatement statement(query().toUtf8());
    statement.bind(":from", from.toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
    statement.bind(":to", to.toString(QStringLiteral("yyyy-MM-dd 23:59:59")));
    // A month holds a few thousand titles, some days and applications, each in many groups: their
    // texts are decoded once and shared. A NULL title or day is a group of its own, apart from an
    // empty text.
    QHash<QByteArray, int> titleIndex;
    QList<QString> titles;
    QHash<QByteArray, int> dayIndex;
    QList<QDate> days;
    QHash<qint64, QString> applications;
    QHash<GroupKey, qsizetype> groupIndex;
    int nullTitle = -1;
    int nullDay = -1;
    EntryTime time;
    const auto indexOf = [](QHash<QByteArray, int> &index, int &nullSlot, const char *bytes, int size, auto add) {
        if (!bytes) {
            if (nullSlot < 0) {
                nullSlot = add();
            }
            return nullSlot;
        }
        auto found = index.constFind(QByteArray::fromRawData(bytes, size));
        if (found == index.constEnd()) {
            // The key points into the statement's row: the kept copy must own its bytes.
            found = index.insert(QByteArray(bytes, size), add());
        }
        return *found;
    };
    while (statement.next()) {
        int size = 0;
        const char *startText = statement.utf8(3, &size);
        QDate startDate;
        QTime startTime;
        QDate endDate;
        QTime endTime;
        const bool stored = StampParser::readStoredForm(startText, size, &startDate, &startTime);
        const char *endText = statement.utf8(4, &size);
        const qint64 id = statement.integer(0);
        qint64 seconds = 0;
        QByteArray dayText;
        if (stored && StampParser::readStoredForm(endText, size, &endDate, &endTime)) {
            seconds =
                EntryTime::seconds(time.startInstant(id, startDate, startTime), time.endInstant(id, endDate, endTime));
            dayText = QByteArray::fromRawData(startText, 10);
        } else {
            // Stamps in another form: the day as SQLite's DATE() reads it, the seconds as everywhere.
            SqliteStatement odd("SELECT DATE(start_time), start_time, end_time FROM entries WHERE id = :id");
            odd.bind(":id", id);
            if (!odd.next()) {
                return StoreResult::failure(odd.failed() ? odd.error() : QStringLiteral("entry vanished"));
            }
            const char *day = odd.utf8(0, &size);
            dayText = day ? QByteArray(day, size) : QByteArray();
            seconds = time.seconds(id, odd.text(1), odd.text(2));
        }
        const int dayNumber =
            indexOf(dayIndex, nullDay, dayText.isNull() ? nullptr : dayText.constData(), int(dayText.size()), [&] {
                days << parseDate(QString::fromLatin1(dayText));
                return int(days.size() - 1);
            });
        const char *titleBytes = statement.utf8(1, &size);
        const int titleNumber = indexOf(titleIndex, nullTitle, titleBytes, size, [&] {
            titles << QString::fromUtf8(titleBytes, size);
            return int(titles.size() - 1);
        });
        const qint64 application = statement.integer(2);
        qsizetype &slot = groupIndex[{dayNumber, application, titleNumber}];
        if (slot == 0) {
            auto app = applications.constFind(application);
            if (app == applications.constEnd()) {
                app = applications.insert(application, statement.text(2));
            }
            EntryGroup group;
            group.title = titles.at(titleNumber);
            group.applicationId = *app;
            group.day = days.at(dayNumber);
            groups->append(std::move(group));
            slot = groups->size();
        }
        EntryGroup &group = (*groups)[slot - 1];
        group.entryIds << QString::number(id);
        group.seconds += seconds;
    }
    if (statement.failed()) {
        groups->clear();
        return StoreResult::failure(statement.error());
    }
    return StoreResult::success();
}
