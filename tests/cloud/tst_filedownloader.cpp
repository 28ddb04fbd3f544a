// FileDownloader against a local HTTP stand-in: only good bodies are kept.
#include "cloud/filedownloader.h"
#include "tests/common/httpstandin.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
bool download(FileDownloader &d, const QUrl &url)
{
    QSignalSpy done(&d, &FileDownloader::downloaded);
    d.startDownlod(url);
    return done.wait(5000) && done.count() == 1;
}

HttpStandIn::Answer answer(int status, const QByteArray &type, const QByteArray &body,
                           QList<QPair<QByteArray, QByteArray>> headers = {})
{
    return HttpStandIn::Answer{status, type, body, headers, false};
}
} // namespace

class TstFileDownloader : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void refusedAddressesAreNeverRequested_data();
    void refusedAddressesAreNeverRequested();
    void sizeLimit();
    void redirects_data();
    void redirects();
    void lastFinishedDownloadWins();
    void aBodyCutShortIsNoFile();
};

void TstFileDownloader::replies_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("dropConnection");
    QTest::addColumn<bool>("succeeded");

    const QByteArray image(4096, char(0x5A));
    const QByteArray page = "<html><body>" + QByteArray(500, 'x') + "</body></html>";
    QTest::newRow("a file") << 200 << image << false << true;
    QTest::newRow("an empty file is still a success") << 200 << QByteArray() << false << true;
    QTest::newRow("a long 404 page is no file") << 404 << page << false << false;
    QTest::newRow("a long 500 page is no file") << 500 << page << false << false;
    QTest::newRow("a 204 without a body") << 204 << QByteArray() << false << true;
    QTest::newRow("the connection drops") << 200 << image << true << false;
}

void TstFileDownloader::replies()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, dropConnection);
    QFETCH(bool, succeeded);
    HttpStandIn server;
    HttpStandIn::Answer a = answer(status, "application/octet-stream", body);
    a.dropConnection = dropConnection;
    server.answerWith(a);

    FileDownloader d;
    QVERIFY(download(d, server.url(QStringLiteral("/f/Nuc123.bin"))));
    QCOMPARE(d.succeeded(), succeeded);
    QCOMPARE(d.downloadedData(), succeeded ? body : QByteArray());
    QCOMPARE(d.errorString().isEmpty(), succeeded);
    QCOMPARE(server.requests().first().method, QByteArray("GET"));
}

void TstFileDownloader::refusedAddressesAreNeverRequested_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("plain http off this machine") << "http://downloads.example.org/Nuc123.bin";
    QTest::newRow("a local file") << "file:///etc/passwd";
    QTest::newRow("empty") << "";
}

void TstFileDownloader::refusedAddressesAreNeverRequested()
{
    QFETCH(QString, url);
    FileDownloader d;
    QVERIFY(download(d, QUrl(url)));
    QVERIFY(!d.succeeded());
    QVERIFY(d.downloadedData().isEmpty());
}

void TstFileDownloader::sizeLimit()
{
    HttpStandIn server;
    server.answerWith(answer(200, "application/octet-stream", QByteArray(200 * 1024, 'a')));
    FileDownloader d;
    d.setMaximumSize(128 * 1024);
    QVERIFY(download(d, server.url(QStringLiteral("/big"))));
    QVERIFY(!d.succeeded());
    QVERIFY(d.downloadedData().isEmpty());

    d.setMaximumSize(256 * 1024);
    QVERIFY(download(d, server.url(QStringLiteral("/big"))));
    QVERIFY(d.succeeded());
    QCOMPARE(d.downloadedData().size(), 200 * 1024);
}

void TstFileDownloader::redirects_data()
{
    QTest::addColumn<QString>("location"); // %1 = the stand-in's port
    QTest::addColumn<bool>("followed");
    QTest::newRow("to another path on this machine") << "http://127.0.0.1:%1/real" << true;
    QTest::newRow("to plain http elsewhere") << "http://downloads.example.org/x" << false;
    QTest::newRow("to a local file") << "file:///etc/passwd" << false;
}

void TstFileDownloader::redirects()
{
    QFETCH(QString, location);
    QFETCH(bool, followed);
    HttpStandIn server;
    const QByteArray target = location.arg(server.url().port()).toUtf8();
    server.setHandler([&](const HttpStandIn::Request &r) {
        if (r.path == "/real")
            return answer(200, "application/octet-stream", "payload");
        return answer(302, "text/html", "moved", {{"Location", target}});
    });
    FileDownloader d;
    QVERIFY(download(d, server.url(QStringLiteral("/start"))));
    QCOMPARE(d.succeeded(), followed);
    QCOMPARE(d.downloadedData(), followed ? QByteArray("payload") : QByteArray());
    QCOMPARE(server.requests().size(), followed ? 2 : 1);
}

void TstFileDownloader::lastFinishedDownloadWins()
{
    HttpStandIn server;
    server.setHandler([](const HttpStandIn::Request &r) { return answer(200, "text/plain", r.path); });
    FileDownloader d;
    QSignalSpy done(&d, &FileDownloader::downloaded);
    d.startDownlod(server.url(QStringLiteral("/one")));
    d.startDownlod(server.url(QStringLiteral("/two")));
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 5000);
    QCOMPARE(server.requests().size(), 2);
    // Whichever finished second is what the downloader holds.
    QVERIFY(d.downloadedData() == "/one" || d.downloadedData() == "/two");
    QVERIFY(d.succeeded());
}

void TstFileDownloader::aBodyCutShortIsNoFile()
{
    // A kept-alive answer that announces 200000 bytes, sends 4000 and then
    // closes (the server died): Qt finishes such a reply without an error.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (!socket->readAll().contains("\r\n\r\n"))
                return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 200000\r\nContent-Type: application/octet-stream\r\n"
                          "Keep-Alive: timeout=2, max=1000\r\n\r\n"
                          + QByteArray(4000, 'x'));
            // Like a server process that dies: the connection closes in the
            // middle of the body.
            socket->disconnectFromHost();
        });
    });
    FileDownloader d;
    QVERIFY(download(d, QUrl(QStringLiteral("http://127.0.0.1:%1/f.zip").arg(server.serverPort()))));
    QVERIFY(!d.succeeded());
    QVERIFY(d.downloadedData().isEmpty());
}

QTEST_GUILESS_MAIN(TstFileDownloader)
#include "tst_filedownloader.moc"
