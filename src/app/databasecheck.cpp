#include "databasecheck.h"

#include "database.h"
#include "messagebox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

#include <memory>

namespace {
QString title()
{
    return QCoreApplication::translate("DatabaseCheck", "Check Database");
}

QString tell(QObject *parent, const QString &path, const IntegrityReport &report, bool onDemand, const QDateTime &now)
{
    if (report.sound()) {
        if (onDemand) {
            MessageBox::information(parent, title(),
                                    report.complete
                                        ? QCoreApplication::translate("DatabaseCheck", "The database shows no damage.")
                                        : QCoreApplication::translate("DatabaseCheck",
                                                                      "The check was stopped after %1 seconds; the "
                                                                      "part it read shows no damage.")
                                              .arg(Database::QuickCheckLimitMs / 1000));
        }
        return {};
    }
    qWarning() << "database damaged:" << report.problems;
    const QString text =
        QCoreApplication::translate(
            "DatabaseCheck",
            "The database %1 is damaged:\n\n%2\n\nTavroDesk carries on with it, but some entries may be "
            "wrong or missing. Keep a copy of the file as it is now?")
            .arg(path, report.problems.mid(0, 3).join(QLatin1Char('\n')));
    if (MessageBox::question(parent, title(), text) != MessageBox::Yes) {
        return {};
    }
    const QString copy = Database::keepCopy(path, now);
    if (copy.isEmpty()) {
        MessageBox::warning(parent, title(),
                            QCoreApplication::translate("DatabaseCheck", "The copy could not be made."));
    } else {
        MessageBox::information(parent, title(),
                                QCoreApplication::translate("DatabaseCheck", "A copy was kept as %1.").arg(copy));
    }
    return copy;
}

// Runs the check in a thread of its own and tells the result in the thread that made it.
class BackgroundCheck : public QObject
{
public:
    BackgroundCheck(QObject *parent, const QString &path)
        : QObject(parent)
        , m_thread(QThread::create([this, path] { m_report = Database::quickCheckFile(path); }))
    {
        connect(m_thread.get(), &QThread::finished, this, [this, path] {
            tell(this->parent(), path, m_report, false, QDateTime::currentDateTime());
            deleteLater();
        });
        m_thread->start(QThread::LowPriority);
    }
    ~BackgroundCheck() override { m_thread->wait(); }

private:
    IntegrityReport m_report;
    std::unique_ptr<QThread> m_thread;
};

} // namespace

QString DatabaseCheck::run(QObject *parent, const QString &path, bool onDemand, const QDateTime &now)
{
    return tell(parent, path, Database::quickCheck(), onDemand, now);
}

void DatabaseCheck::startInBackground(QObject *parent, const QString &path)
{
    new BackgroundCheck(parent, path);
}
