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

    QString url() const
    {
        return QStringLiteral("http://127.0.0.1:%1/downloads/tavrodesk/tavrodesk-linux.xml").arg(serverPort());
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
        QTest::newRow("malformed") << QByteArray("200 OK") << fixture("malformed.xml") << int(MessageBox::Icon::Warning)
                                   << QStringLiteral("The update information could not be read: ");
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
        checker.setAppcastUrl(server.url());
        checker.init();
        checker.checkWithUi(nullptr);
        QVERIFY(checker.isChecking());
        // A second request while one runs is ignored.
        checker.checkWithUi(nullptr);
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!checker.isChecking());
        QCOMPARE(server.requests.size(), 1);
        QVERIFY(server.requests.first().startsWith("GET /downloads/tavrodesk/tavrodesk-linux.xml HTTP/1.1"));
        QVERIFY(server.requests.first().contains("TavroDesk/1.0.10"));
        QCOMPARE(presenter.boxes().size(), 1);
        QCOMPARE(int(presenter.boxes().first().icon), icon);
        QVERIFY2(presenter.boxes().first().text.startsWith(textStart), qPrintable(presenter.boxes().first().text));
    }

    void missingAddressIsReported()
    {
        RecordingPresenter presenter;
        FeedUpdateChecker checker;
        checker.checkWithUi(nullptr);
        QCOMPARE(presenter.boxes().size(), 1);
        QCOMPARE(presenter.boxes().first().text, QStringLiteral("The update feed address is not set."));
        QVERIFY(!checker.isChecking());
    }

    void cleanupAbortsARunningCheck()
    {
        FixedHttpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        server.body = fixture("same.xml");
        RecordingPresenter presenter;
        FeedUpdateChecker checker;
        QSignalSpy finished(&checker, &FeedUpdateChecker::checkFinished);
        checker.setAppcastUrl(server.url());
        checker.checkWithUi(nullptr);
        checker.cleanup();
        QVERIFY(!checker.isChecking());
        QTest::qWait(100);
        QCOMPARE(finished.count(), 0);
        QVERIFY(presenter.boxes().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFeedUpdateChecker)
#include "tst_feedupdatechecker.moc"
