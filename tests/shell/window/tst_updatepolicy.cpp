#include "shell/window/updatepolicy.h"

#include <QtTest>

namespace {
QString outcomeName(SoftwareCheckOutcome outcome)
{
    switch (outcome) {
    case SoftwareCheckOutcome::Silent: return QStringLiteral("silent");
    case SoftwareCheckOutcome::CheckFailed: return QStringLiteral("check failed");
    case SoftwareCheckOutcome::UpToDate: return QStringLiteral("up to date");
    case SoftwareCheckOutcome::NewVersionAsked: return QStringLiteral("new version asked");
    case SoftwareCheckOutcome::NewVersionFound: return QStringLiteral("new version found");
    }
    return QStringLiteral("?");
}
} // namespace

class TstUpdatePolicy : public QObject
{
    Q_OBJECT

private slots:
    void softwareCheck_data();
    void softwareCheck();
    void firmwareTooOld_data();
    void firmwareTooOld();
    void packageSource_data();
    void packageSource();
};

void TstUpdatePolicy::softwareCheck_data()
{
    QTest::addColumn<int>("rCode");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<bool>("manual");
    QTest::addColumn<bool>("notRemind");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("download");

    const QString running = QStringLiteral("0.9.013950.0513");
    // After a device opened.
    QTest::newRow("automatic, newer: offered") << 0 << "1.0.0" << false << false << "new version found" << true;
    QTest::newRow("automatic, newer but not to be reminded") << 0 << "1.0.0" << false << true << "silent" << false;
    QTest::newRow("automatic, same version") << 0 << running << false << false << "silent" << false;
    QTest::newRow("automatic, empty version") << 0 << "" << false << false << "silent" << false;
    QTest::newRow("automatic, failure stays silent") << 3 << "1.0.0" << false << false << "silent" << false;
    QTest::newRow("any other version counts as newer, an older one too")
        << 0 << "0.8.0" << false << false << "new version found" << true;
    // Asked for on the support page.
    QTest::newRow("manual, newer") << 0 << "1.0.0" << true << false << "new version asked" << true;
    QTest::newRow("manual, newer ignores the reminder choice") << 0 << "1.0.0" << true << true << "new version asked"
                                                               << true;
    QTest::newRow("manual, same version") << 0 << running << true << false << "up to date" << false;
    QTest::newRow("manual, empty version is up to date") << 0 << "" << true << false << "up to date" << false;
    QTest::newRow("manual, failure wins over an offered version") << 3 << "1.0.0" << true << false << "check failed"
                                                                   << false;
    QTest::newRow("manual, a negative code is a failure") << -1 << "" << true << false << "check failed" << false;
}

void TstUpdatePolicy::softwareCheck()
{
    QFETCH(int, rCode);
    QFETCH(QString, offered);
    QFETCH(bool, manual);
    QFETCH(bool, notRemind);
    QFETCH(QString, outcome);
    QFETCH(bool, download);

    const SoftwareCheckOutcome got =
        softwareCheckOutcome(rCode, offered, QStringLiteral("0.9.013950.0513"), manual, notRemind);
    QCOMPARE(outcomeName(got), outcome);
    QCOMPARE(offersDownload(got), download);
}

void TstUpdatePolicy::firmwareTooOld_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("tooOld");

    QTest::newRow("OX8 with firmware 4") << 18 << 4 << true;
    QTest::newRow("OX8 with firmware 5 is enough") << 18 << 5 << false;
    QTest::newRow("OX8 before its version was read") << 18 << 0 << true;
    QTest::newRow("OX7 has no minimum") << 11 << 4 << false;
    QTest::newRow("no model") << 0 << 0 << false;
}

void TstUpdatePolicy::firmwareTooOld()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QFETCH(bool, tooOld);
    QCOMPARE(isFirmwareTooOld(type, version), tooOld);
}

void TstUpdatePolicy::packageSource_data()
{
    QTest::addColumn<bool>("preferLocal");
    QTest::addColumn<bool>("localExists");
    QTest::addColumn<bool>("cloudExists");
    QTest::addColumn<bool>("local");

    QTest::newRow("local asked and there") << true << true << true << true;
    QTest::newRow("local asked, only the download there") << true << false << true << false;
    QTest::newRow("local asked, nothing there: stays local") << true << false << false << true;
    QTest::newRow("download asked and there") << false << true << true << false;
    QTest::newRow("download asked, only the installed one there") << false << true << false << true;
    QTest::newRow("download asked, nothing there: stays the download") << false << false << false << false;
}

void TstUpdatePolicy::packageSource()
{
    QFETCH(bool, preferLocal);
    QFETCH(bool, localExists);
    QFETCH(bool, cloudExists);
    QFETCH(bool, local);
    QCOMPARE(updatePackageSource(preferLocal, localExists, cloudExists) == PackageSource::Local, local);
}

QTEST_APPLESS_MAIN(TstUpdatePolicy)
#include "tst_updatepolicy.moc"
