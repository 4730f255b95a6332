#include "apicall.h"
#include "apireply.h"
#include "apirequest.h"
#include "settings.h"
#include "testsupport.h"

#include <QTest>
#include <QUrlQuery>

class TestApiReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromBody_data();
    void fromBody();
    void wireTexts();
    void status_data();
    void status();
    void isError_data();
    void isError();
    void errorFixtureTakesFirstElementDecoded();
    void firstElementAnywhere();
    void percentEncode_data();
    void percentEncode();
    void formBody();
    void getRequestQuery();
    void postRequestHeaders();
    void networkErrorTexts_data();
    void networkErrorTexts();
};

void TestApiReply::fromBody_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("plain") << QByteArray("<rsp status=\"ok\"/>") << QStringLiteral("<rsp status=\"ok\"/>");
    QTest::newRow("nul inside") << QByteArray("<rsp>ab\0cd</rsp>", 16) << QStringLiteral("<rsp>ab");
    QTest::newRow("nul first") << QByteArray("\0abc", 4) << QString();
    // UTF-8 bytes stay one character each.
    QTest::newRow("utf-8 kept per byte") << QByteArray("\xc3\xbc") << QString::fromLatin1("\xc3\xbc");
}

void TestApiReply::fromBody()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(ApiReply::fromBody(body), text);
}

void TestApiReply::wireTexts()
{
    const QString name = QStringLiteral("Übersetzung café 日本");
    const QString wire = ApiReply::toWire(name);
    QCOMPARE(wire.toLatin1(), name.toUtf8());
    QCOMPARE(ApiReply::fromWire(wire), name);
}

void TestApiReply::status_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("status");
    QTest::newRow("ok") << QStringLiteral("<rsp status=\"ok\"><a/></rsp>") << QStringLiteral("ok");
    QTest::newRow("error") << QStringLiteral("<rsp status=\"error\"/>") << QStringLiteral("error");
    QTest::newRow("other") << QStringLiteral("<rsp status=\"fail\"/>") << QStringLiteral("fail");
    QTest::newRow("no status") << QStringLiteral("<rsp><a/></rsp>") << QString();
    QTest::newRow("not xml") << QStringLiteral("<html><body>502") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestApiReply::status()
{
    QFETCH(QString, xml);
    QFETCH(QString, status);
    QCOMPARE(ApiReply::status(xml), status);
    QCOMPARE(ApiReply::isOk(ApiReply::parse(xml)), status == QLatin1String("ok"));
}

void TestApiReply::isError_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<bool>("error");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    const QString untouched = QStringLiteral("untouched");
    QTest::newRow("error element") << QStringLiteral("<rsp status=\"error\"><error code=\"11\" message=\"Bad\"/></rsp>")
                                   << true << QStringLiteral("11") << QStringLiteral("Bad");
    QTest::newRow("nested error element")
        << QStringLiteral("<rsp status=\"error\"><x><error code=\"3\" message=\"Deep\"/></x></rsp>") << true
        << QStringLiteral("3") << QStringLiteral("Deep");
    QTest::newRow("error without element")
        << QStringLiteral("<rsp status=\"error\"/>") << true << untouched << untouched;
    QTest::newRow("ok") << QStringLiteral("<rsp status=\"ok\"><error code=\"1\" message=\"x\"/></rsp>") << false
                        << untouched << untouched;
    QTest::newRow("no status") << QStringLiteral("<rsp><error code=\"1\" message=\"x\"/></rsp>") << false << untouched
                               << untouched;
    QTest::newRow("empty") << QString() << false << untouched << untouched;
    QTest::newRow("not xml") << QStringLiteral("status=\"error\"") << false << untouched << untouched;
}

void TestApiReply::isError()
{
    QFETCH(QString, xml);
    QFETCH(bool, error);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QString gotCode = QStringLiteral("untouched");
    QString gotMessage = QStringLiteral("untouched");
    QCOMPARE(ApiRequest::isError(xml, gotCode, gotMessage), error);
    QCOMPARE(gotCode, code);
    QCOMPARE(gotMessage, message);
}

void TestApiReply::errorFixtureTakesFirstElementDecoded()
{
    const QString xml = TestSupport::fixtureReply(QStringLiteral("error-reply.xml"));
    QString code;
    QString message;
    QVERIFY(ApiReply::isError(xml, code, message));
    QCOMPARE(code, QStringLiteral("12"));
    QCOMPARE(message, QStringLiteral("Anmeldung fehlgeschlagen: Passwort falsch"));

    // A non-ASCII message arrives as UTF-8 bytes and comes out decoded.
    const QString umlaut =
        ApiReply::toWire(QStringLiteral("<rsp status=\"error\"><error code=\"1\" message=\"Prüfen\"/></rsp>"));
    QVERIFY(ApiReply::isError(umlaut, code, message));
    QCOMPARE(message, QStringLiteral("Prüfen"));
}

void TestApiReply::firstElementAnywhere()
{
    const QDomDocument document = ApiReply::parse(TestSupport::fixtureReply(QStringLiteral("login-ok.xml")));
    QCOMPARE(ApiReply::firstElement(document, QStringLiteral("token")).text(), QStringLiteral("0f3a9c2e7b"));
    const QDomElement user = ApiReply::firstElement(document, QStringLiteral("user"));
    QCOMPARE(user.attribute(QStringLiteral("id")), QStringLiteral("42"));
    QCOMPARE(ApiReply::fromWire(user.attribute(QStringLiteral("realname"))), QStringLiteral("Jürgen <Doe>"));
    QVERIFY(ApiReply::firstElement(document, QStringLiteral("missing")).isNull());
    QVERIFY(ApiReply::firstElement(QDomElement(), QStringLiteral("user")).isNull());
}

void TestApiReply::percentEncode_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("unreserved") << QStringLiteral("AZaz09-._~") << QByteArray("AZaz09-._~");
    QTest::newRow("delimiters") << QStringLiteral("a&b=c+d%e") << QByteArray("a%26b%3Dc%2Bd%25e");
    QTest::newRow("blank and newline") << QStringLiteral("two words\nline") << QByteArray("two%20words%0Aline");
    QTest::newRow("non-ascii upper-case hex") << QStringLiteral("Bücher €") << QByteArray("B%C3%BCcher%20%E2%82%AC");
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestApiReply::percentEncode()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, encoded);
    QCOMPARE(ApiCall::percentEncode(value), encoded);
}

void TestApiReply::formBody()
{
    const ApiCall::Parameters parameters{
        {QStringLiteral("api_key"), QStringLiteral("k1")},
        {QStringLiteral("start"), QStringLiteral("2026-12-06 09:30:00")},
        {QStringLiteral("description"), QStringLiteral("Tom & Jerry = ü"), true},
        {QStringLiteral("token"), QStringLiteral("a&b=c")},
        {QStringLiteral("empty"), QString()},
    };
    // Plain values keep blanks and colons; what would split the pairs is escaped even there.
    QCOMPARE(ApiCall::formBody(parameters),
             QByteArray("api_key=k1&start=2026-12-06 09:30:00&description=Tom%20%26%20Jerry%20%3D%20%C3%BC"
                        "&token=a%26b%3Dc&empty="));
    QCOMPARE(ApiCall::formBody({}), QByteArray());
}

void TestApiReply::getRequestQuery()
{
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = QStringLiteral("http://127.0.0.1:1/service/");
    const QNetworkRequest request = ApiCall::getRequest(QStringLiteral("tavro.auth.login"),
                                                        {{QStringLiteral("email"), QStringLiteral("a+b@x.test")},
                                                         {QStringLiteral("password"), QStringLiteral("p&=ä ")}});
    const QUrl url = request.url();
    QCOMPARE(url.path(), QStringLiteral("/service/tavro.auth.login"));
    QCOMPARE(url.query(QUrl::FullyEncoded), QStringLiteral("email=a%2Bb%40x.test&password=p%26%3D%C3%A4%20"));
    const QUrlQuery query(url);
    QCOMPARE(query.queryItems(QUrl::FullyDecoded).size(), 2);
    QCOMPARE(query.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded), QStringLiteral("p&=ä "));
    QVERIFY(request.header(QNetworkRequest::ContentTypeHeader).isNull());
}

void TestApiReply::postRequestHeaders()
{
    Settings::instance()->values[QStringLiteral("RealApiBaseUrl")] = QStringLiteral("http://127.0.0.1:1/service/");
    const QNetworkRequest request = ApiCall::postRequest(QStringLiteral("tavro.entries.addBulk"));
    QCOMPARE(request.url().toString(), QStringLiteral("http://127.0.0.1:1/service/tavro.entries.addBulk"));
    QVERIFY(!request.url().hasQuery());
    QCOMPARE(request.header(QNetworkRequest::ContentTypeHeader).toString(),
             QStringLiteral("application/x-www-form-urlencoded"));
}

void TestApiReply::networkErrorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("refused") << int(QNetworkReply::ConnectionRefusedError)
                             << QStringLiteral("The remote server refused the connection.");
    QTest::newRow("ssl") << int(QNetworkReply::SslHandshakeFailedError)
                         << QStringLiteral(
                                "The SSL/TLS handshake failed and the encrypted channel could not be established.");
    QTest::newRow("proxy refused") << int(QNetworkReply::ProxyConnectionRefusedError)
                                   << QStringLiteral("The connection to the proxy server was refused.");
    QTest::newRow("not found") << int(QNetworkReply::ContentNotFoundError)
                               << QStringLiteral("The remote content was not found at the server.");
    QTest::newRow("protocol") << int(QNetworkReply::ProtocolFailure)
                              << QStringLiteral("A breakdown in protocol was detected (parsing error, invalid or "
                                                "unexpected responses, etc.).");
    QTest::newRow("not in table") << int(QNetworkReply::InternalServerError) << QStringLiteral("401");
}

void TestApiReply::networkErrorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(ApiRequest::networkErrorText(code), text);
}

QTEST_GUILESS_MAIN(TestApiReply)
#include "tst_apireply.moc"
