#include "feedupdatechecker.h"
#include "recordingpresenter.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Answers every request with one fixed HTTP reply.
class FixedHttpServer : public QTcpServer
{
public:
    QByteArray status = "200 OK";
    QByteArray body;
    QList<QByteArray> requests;

    FixedHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                m_buffer += socket->readAll();
                if (!m_buffer.contains("\r\n\r\n")) {
                    return;
                }
                requests.append(m_buffer);
                m_buffer.clear();
                socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
                              QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
    }

private:
    QByteArray m_buffer;
};

class TestFeedUpdateChecker : public QObject
{
    Q_OBJECT

private:
    static QByteArray fixture(const char *name)
    {
        QFile file(QString::fromLocal8Bit(qgetenv("TAVRO_TEST_DATA")) + QStringLiteral("/appcast/") +
                   QString::fromLatin1(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void reports_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("textStart");
        QTest::newRow("newer") << QByteArray("200 OK") << fixture("newer.xml") << int(MessageBox::Icon::Question)
                               << QStringLiteral("Version 1.0.11 is available.");
        QTest::newRow("not found") << QByteArray("404 Not Found") << QByteArray("gone")
                                   << int(MessageBox::Icon::Warning)
                                   << QStringLiteral("The update information could not be fetched: ");
    }

    void reports()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(int, icon);
        QFETCH(QString, textStart);
        FixedHttpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        server.status = status;
        server.body = body;
        RecordingPresenter presenter;
        presenter.answerNext(MessageBox::No);

        FeedUpdateChecker checker;
        QSignalSpy finished(&checker, &FeedUpdateChecker::checkFinished);
        checker.setAppcastUrl(
            QStringLiteral("http://127.0.0.1:%1/downloads/tavrodesk/tavrodesk-linux.xml").arg(server.serverPort()));
        checker.init();
        checker.checkWithUi(nullptr);
        QVERIFY(checker.isChecking());
        // A second request while one runs is ignored.
        checker.checkWithUi(nullptr);
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!checker.isChecking());
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(server.requests.first().startsWith("GET /downloads/tavrodesk/tavrodesk-linux.xml HTTP/1.1"));
        QCOMPARE(presenter.boxes().size(), 1);
        QCOMPARE(int(presenter.boxes().first().icon), icon);
        QVERIFY2(presenter.boxes().first().text.startsWith(textStart), qPrintable(presenter.boxes().first().text));

        // The start-up and daily check shows only news; a failure goes to the log alone.
        presenter.clear();
        presenter.answerNext(MessageBox::No);
        checker.checkInBackground(nullptr);
        QTRY_COMPARE(finished.count(), 2);
        QCOMPARE(presenter.boxes().size(), icon == int(MessageBox::Icon::Question) ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestFeedUpdateChecker)
#include "tst_feedupdatechecker.moc"
