#include "debuglog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestDebugLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesCarryTimeAndTag()
    {
        const QDateTime when(QDate(2012, 3, 9), QTime(7, 5, 3));
        QCOMPARE(DebugLog::formatLine(QtDebugMsg, QStringLiteral("Entered IDLE"), when),
                 QStringLiteral("09-03-2012 07:05:03 Entered IDLE"));
        QCOMPARE(DebugLog::formatLine(QtWarningMsg, QStringLiteral("w"), when),
                 QStringLiteral("09-03-2012 07:05:03 Warning: w"));
        QCOMPARE(DebugLog::formatLine(QtCriticalMsg, QStringLiteral("c"), when),
                 QStringLiteral("09-03-2012 07:05:03 Critical: c"));
        QCOMPARE(DebugLog::formatLine(QtFatalMsg, QStringLiteral("f"), when),
                 QStringLiteral("09-03-2012 07:05:03 Fatal: f"));
    }

    void messagesGoToTheFileUntilClosed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("debug.log"));
        {
            // Left readable by others by an earlier version: closed at open.
            QFile earlier(path);
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            QVERIFY(earlier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther));
        }
        QVERIFY(DebugLog::open(path));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        qDebug() << "suspend";
        qWarning("careful");
        DebugLog::close();
        qDebug() << "after close";

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d suspend$"))
                    .match(lines.at(0))
                    .hasMatch());
        QVERIFY(lines.at(1).endsWith(QLatin1String(" Warning: careful")));
    }

    void unopenableLogIsIgnored()
    {
        // A file where the log's folder belongs: no folder can be made there.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("state")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QVERIFY(!DebugLog::open(blocker.fileName() + QStringLiteral("/debug.log")));
        qDebug() << "still fine";
        DebugLog::close();
    }
};

QTEST_GUILESS_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
