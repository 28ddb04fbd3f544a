// Firmware packages below APP/Update: their paths, what counts as one, and
// how a downloaded one replaces the old as a whole.
#include "config/atomicfile.h"
#include "config/paths.h"
#include "discovery/models.h"
#include "tests/common/testutil.h"
#include "update/firmwarepackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {
QByteArray image(int size, char seed = 1)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 13 + seed) & 0xFF);
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QByteArray kErrorPage = "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head><body>"
                              + QByteArray(600, 'x') + "</body></html>";
} // namespace

class TstFirmwarePackage : public QObject
{
    Q_OBJECT

private slots:
    void paths_data();
    void paths();
    void bodies_data();
    void bodies();
    void files();
    void storeReplacesAsAWhole();
    void storeRefusesWhatIsNoPackage_data();
    void storeRefusesWhatIsNoPackage();
    void failedWriteKeepsTheOldPackage();
};

void TstFirmwarePackage::paths_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("clouds");
    QTest::addColumn<QString>("updater");

    QTest::newRow("OX7: a NUC123 image") << int(Ox7) << "Update/Local/ox7/Nuc123.bin" << "Update/Clouds/ox7/Nuc123.bin"
                                         << "Update/Clouds/ox7/KorvanUpdataOnce.exe";
    QTest::newRow("OX4C") << int(Ox4C) << "Update/Local/ox4c/Nuc123.bin" << "Update/Clouds/ox4c/Nuc123.bin"
                          << "Update/Clouds/ox4c/KorvanUpdataOnce.exe";
    QTest::newRow("OX7EU: a NUC123 image as well") << int(Ox7EU) << "Update/Local/ox7eu/Nuc123.bin"
                                                   << "Update/Clouds/ox7eu/Nuc123.bin"
                                                   << "Update/Clouds/ox7eu/KorvanUpdataOnce.exe";
    QTest::newRow("OX6: the updater's package") << int(Ox6) << "Update/Local/ox6/UpdateCodeTool.mtp"
                                                << "Update/Clouds/ox6/UpdateCodeTool.mtp"
                                                << "Update/Clouds/ox6/KorvanUpdataOnce.exe";
    QTest::newRow("OX8") << int(Ox8) << "Update/Local/ox8/UpdateCodeTool.mtp" << "Update/Clouds/ox8/UpdateCodeTool.mtp"
                         << "Update/Clouds/ox8/KorvanUpdataOnce.exe";
}

void TstFirmwarePackage::paths()
{
    QFETCH(int, type);
    QFETCH(QString, local);
    QFETCH(QString, clouds);
    QFETCH(QString, updater);
    TempAppDir app;
    const QString base = app.path() + QLatin1Char('/');
    QCOMPARE(updateFolder(), base + QStringLiteral("Update/"));
    QCOMPARE(cloudDownloadFolder(), base + QStringLiteral("Update/Clouds/"));
    QCOMPARE(packagePath(type, PackageSource::Local), base + local);
    QCOMPARE(packagePath(type, PackageSource::Clouds), base + clouds);
    QCOMPARE(externalUpdaterPath(type, PackageSource::Clouds), base + updater);
    // The date file sits beside the downloaded package.
    QCOMPARE(QFileInfo(getFirmwareDateFilePath(type)).path(), QFileInfo(base + clouds).path());
}

void TstFirmwarePackage::bodies_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<int>("verdict");

    const int ok = int(PackageVerdict::Ok);
    const int tooShort = int(PackageVerdict::TooShort);
    const int tooLarge = int(PackageVerdict::TooLarge);
    const int text = int(PackageVerdict::NotFirmware);
    const QString binary = QStringLiteral("application/octet-stream");
    QTest::newRow("an image") << int(Ox7) << image(4096) << binary << ok;
    QTest::newRow("100 bytes are enough") << int(Ox7) << image(100) << binary << ok;
    QTest::newRow("99 bytes are not") << int(Ox7) << image(99) << binary << tooShort;
    QTest::newRow("empty") << int(Ox7) << QByteArray() << binary << tooShort;
    QTest::newRow("the whole program memory") << int(Ox7) << image(0x10000) << binary << ok;
    QTest::newRow("one byte past the program memory") << int(Ox7) << image(0x10001) << binary << tooLarge;
    QTest::newRow("OX7EU: the same memory") << int(Ox7EU) << image(0x10001) << binary << tooLarge;
    QTest::newRow("the updater's package may be larger") << int(Ox6) << image(0x30000) << binary << ok;
    QTest::newRow("no type given") << int(Ox7) << image(4096) << QString() << ok;
    QTest::newRow("an HTML error page") << int(Ox7) << kErrorPage << binary << text;
    QTest::newRow("HTML in lower case after blank lines")
        << int(Ox7) << QByteArray("\r\n\n  <html><body>") + QByteArray(200, 'x') << binary << text;
    QTest::newRow("HTML after a byte order mark")
        << int(Ox7) << QByteArray("\xEF\xBB\xBF<!doctype html>") + QByteArray(200, 'x') << binary << text;
    QTest::newRow("served as HTML") << int(Ox7) << image(4096) << "text/html; charset=utf-8" << text;
    QTest::newRow("served as plain text") << int(Ox7) << image(4096) << "text/plain" << text;
    QTest::newRow("served as JSON") << int(Ox7) << image(4096) << "application/json" << text;
    QTest::newRow("a service envelope")
        << int(Ox7) << QByteArray("{\"code\":10021,\"msg\":\"") + QByteArray(200, 'x') + "\"}" << binary << text;
    QTest::newRow("a binary that starts like a tag") << int(Ox7) << QByteArray("<\x01\x02") + image(300) << binary << ok;
    QTest::newRow("the updater's package as HTML") << int(Ox8) << kErrorPage << binary << text;
}

void TstFirmwarePackage::bodies()
{
    QFETCH(int, type);
    QFETCH(QByteArray, body);
    QFETCH(QString, contentType);
    QFETCH(int, verdict);
    QCOMPARE(int(checkPackage(type, body, contentType)), verdict);
}

void TstFirmwarePackage::files()
{
    TempAppDir app;
    const QString path = packagePath(Ox7, PackageSource::Local);
    QCOMPARE(checkPackageFile(Ox7, path), PackageVerdict::Missing);
    QCOMPARE(checkPackageFile(Ox7, QFileInfo(path).path()), PackageVerdict::Missing); // a folder
    QVERIFY(writeFile(path, image(700)));
    QCOMPARE(checkPackageFile(Ox7, path), PackageVerdict::Ok);
    QVERIFY(writeFile(path, kErrorPage));
    QCOMPARE(checkPackageFile(Ox7, path), PackageVerdict::NotFirmware);
    QVERIFY(writeFile(path, image(0x10001)));
    QCOMPARE(checkPackageFile(Ox7, path), PackageVerdict::TooLarge);
    QVERIFY(writeFile(path, image(10)));
    QCOMPARE(checkPackageFile(Ox7, path), PackageVerdict::TooShort);
}

void TstFirmwarePackage::storeReplacesAsAWhole()
{
    TempAppDir app;
    // No folder below Update exists yet: the store makes the model's.
    QVERIFY(!QDir(app.path() + QStringLiteral("/Update")).exists());
    QVERIFY(storeCloudPackage(Ox7, image(900), QStringLiteral("application/octet-stream"),
                              QStringLiteral("2024-05-01")));
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), image(900));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-05-01"));

    QVERIFY(storeCloudPackage(Ox7, image(600, 9), QString(), QStringLiteral("2024-06-02")));
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), image(600, 9));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-06-02"));
    // Nothing but the two files is left behind.
    QCOMPARE(QDir(QFileInfo(packagePath(Ox7, PackageSource::Clouds)).path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("Nuc123.bin"), QStringLiteral("versiondate.txt")}));
}

void TstFirmwarePackage::storeRefusesWhatIsNoPackage_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("contentType");
    QTest::newRow("an error page") << kErrorPage << "application/octet-stream";
    QTest::newRow("served as HTML") << image(900) << "text/html";
    QTest::newRow("too short") << image(50) << "application/octet-stream";
    QTest::newRow("too large") << image(0x10001) << "application/octet-stream";
}

void TstFirmwarePackage::storeRefusesWhatIsNoPackage()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, contentType);
    TempAppDir app;
    QVERIFY(storeCloudPackage(Ox7, image(900), QString(), QStringLiteral("2024-05-01")));
    QString error;
    QVERIFY(!storeCloudPackage(Ox7, body, contentType, QStringLiteral("2030-01-01"), &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(packagePath(Ox7, PackageSource::Clouds)), image(900));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox7)), QByteArray("2024-05-01"));
}

void TstFirmwarePackage::failedWriteKeepsTheOldPackage()
{
    TempAppDir app;
    QVERIFY(storeCloudPackage(Ox4, image(900), QString(), QStringLiteral("2024-05-01")));
    // As if the program died just before the new package took the old one's place.
    setAtomicWriteAbortBeforeCommit(true);
    const bool stored = storeCloudPackage(Ox4, image(800, 5), QString(), QStringLiteral("2030-01-01"));
    setAtomicWriteAbortBeforeCommit(false);
    QVERIFY(!stored);
    QCOMPARE(readAll(packagePath(Ox4, PackageSource::Clouds)), image(900));
    QCOMPARE(readAll(getFirmwareDateFilePath(Ox4)), QByteArray("2024-05-01"));
}

QTEST_GUILESS_MAIN(TstFirmwarePackage)
#include "tst_firmwarepackage.moc"
