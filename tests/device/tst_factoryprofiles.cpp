// Every model's factory profile as its own rules read it: CPI stages inside
// the model's range (models that once shared another model's block decoded
// it to nonsense: OX5 [800, 1200, 0, 0, 6000, 0, 0], OX7EU up to 59400),
// and the check that keeps profiles a model cannot work with away from it.
#include "config/profiledefaults.h"
#include "device/devicefactory.h"
#include "device/familya/familyaimage.h"
#include "device/familyb/familybcodec.h"
#include "discovery/cpiranges.h"
#include "discovery/models.h"
#include "sim/familya/familyadefaults.h"
#include "sim/familyb/familybfirmware.h"

#include <QtTest>

namespace {

// The stages of a settings block, decoded by the model's own rules.
QList<DWORD> factoryStages(int type)
{
    if (isFamilyA(type)) {
        const QByteArray record = korvanDefaultBlock(type);
        QByteArray matrix;
        for (int i = 0; i < familya::kCpiMatrixSize; ++i)
            matrix.append(char(familya::recordByte(record, familya::kCpiMatrixOffset, i)));
        return familya::decodeCpiStages(type, matrix);
    }
    const QByteArray block = haldenDefaultBlock(type);
    QList<DWORD> stages;
    for (int i = 0; i < familyb::kCpiStages; ++i) {
        const int low = quint8(block.at(familyb::kCpiLowBytes - familyb::kSettingsOffset + i));
        const int high = quint8(block.at(familyb::kCpiHighBytes - familyb::kSettingsOffset + i));
        stages.append(low == 0 && high == 0 ? 0 : DWORD(familyb::decodeCpi(type, {quint8(low), quint8(high)})));
    }
    return stages;
}

QByteArray factoryBlock(int type)
{
    return isFamilyA(type) ? korvanDefaultBlock(type) : haldenDefaultBlock(type);
}

} // namespace

class TstFactoryProfiles : public QObject
{
    Q_OBJECT

private slots:
    void stagesInsideTheRange_data();
    void stagesInsideTheRange();
    void emulatorsShipTheSameBlocks();
    void blocksTheModelCannotUse_data();
    void blocksTheModelCannotUse();
};

void TstFactoryProfiles::stagesInsideTheRange_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<DWORD>>("stages");
    const QList<DWORD> ox7Group{800, 1000, 1500, 2000, 3000, 4000, 5000};
    QTest::newRow("OX2") << 2 << QList<DWORD>{800, 1200, 1800, 3000, 6200, 0, 0};
    QTest::newRow("OX6") << 3 << QList<DWORD>{800, 1000, 1500, 2000, 3000, 8000, 16000};
    QTest::newRow("OX1") << 4 << QList<DWORD>{400, 800, 1200, 1600, 2000, 2400, 3000};
    QTest::newRow("OX2S") << 5 << QList<DWORD>{600, 1000, 1200, 1600, 2000, 0, 0};
    QTest::newRow("OX1S") << 6 << QList<DWORD>{400, 800, 1200, 1600, 2000, 2400, 3000};
    QTest::newRow("OX4C") << 7 << QList<DWORD>{1000, 1500, 2000, 3000, 5000, 0, 0};
    QTest::newRow("OX4Q") << 8 << QList<DWORD>{1000, 1500, 2000, 3000, 5000, 0, 0};
    QTest::newRow("OX7C") << 9 << QList<DWORD>{1000, 1500, 2000, 3000, 5000, 0, 0};
    QTest::newRow("OX7Q: its own stages within 5000") << 10 << ox7Group;
    QTest::newRow("OX7") << 11 << QList<DWORD>{800, 1000, 1500, 1850, 3000, 6500, 16000};
    QTest::newRow("OX4") << 12 << QList<DWORD>{1000, 1500, 2000, 3000, 5000, 0, 0};
    QTest::newRow("OX5: the OX2 stages in its own codes") << 13 << QList<DWORD>{800, 1200, 1800, 3000, 6200, 0, 0};
    QTest::newRow("OX7EU: its own codes") << 14 << ox7Group;
    QTest::newRow("OX8") << 18 << QList<DWORD>{400, 800, 1200, 1600, 2000, 2400, 3000};
}

void TstFactoryProfiles::stagesInsideTheRange()
{
    QFETCH(int, type);
    QFETCH(QList<DWORD>, stages);
    QCOMPARE(factoryStages(type), stages);
    for (DWORD cpi : stages)
        QVERIFY2(cpi == 0 || isCpiValueAllowed(type, int(cpi)), qPrintable(QString::number(cpi)));
    QString why;
    QVERIFY2(checkProfileBlock(type, factoryBlock(type), &why), qPrintable(why));
}

// A factory-fresh emulated mouse holds its model's factory profile, so it
// matches profile 1 of a fresh installation.
void TstFactoryProfiles::emulatorsShipTheSameBlocks()
{
    for (const ModelIdentity &m : modelTable()) {
        if (m.family == ProtocolFamily::A)
            QCOMPARE(FamilyADefaults::profileRecord(m.mouseType).toHex(), korvanDefaultBlock(m.mouseType).toHex());
        else
            QCOMPARE(FamilyBFirmware::defaultSettingsBlock(m.mouseType).toHex(), haldenDefaultBlock(m.mouseType).toHex());
    }
}

void TstFactoryProfiles::blocksTheModelCannotUse_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");

    // Korvan record: report interval at 60, CPI matrix at 68..83.
    QTest::newRow("family A: report interval 0") << 11 << 60 << QByteArray(1, '\0') << "report interval";
    QTest::newRow("family A: a stage off the grid") << 10 << 68 << QByteArray::fromHex("1100") << "CPI stage 1";
    QTest::newRow("family A: a stage past the range") << 12 << 68 << QByteArray::fromHex("FF00") << "CPI stage 1";
    QTest::newRow("family A: last stage past the seventh") << 11 << 82 << QByteArray::fromHex("09") << "last CPI stage";
    QTest::newRow("family A: no stage on") << 11 << 68 << QByteArray(14, '\0') + QByteArray::fromHex("0600")
                                           << "no CPI stage";
    // Halden block: report rate at 0, stage codes at 58..64 and 66..72.
    QTest::newRow("family B: report rate 9") << 3 << 0 << QByteArray::fromHex("09") << "report rate";
    QTest::newRow("family B: a code the table does not hold") << 13 << 58 << QByteArray::fromHex("28")
                                                               << "CPI stage 1";
    QTest::newRow("family B: no stage on") << 2 << 58 << QByteArray(7, '\0') << "no CPI stage";
    QTest::newRow("a block of zeros") << 18 << 0 << QByteArray(234, '\0') << "no CPI stage";
}

void TstFactoryProfiles::blocksTheModelCannotUse()
{
    QFETCH(int, type);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    QByteArray block = factoryBlock(type);
    block.replace(offset, bytes.size(), bytes);
    QString reason;
    QVERIFY(!checkProfileBlock(type, block, &reason));
    QVERIFY2(reason.contains(why), qPrintable(reason));
    QVERIFY(!checkProfileBlock(type, block.left(block.size() - 1)));
    QVERIFY(!checkProfileBlock(0, factoryBlock(type)));
}

QTEST_APPLESS_MAIN(TstFactoryProfiles)
#include "tst_factoryprofiles.moc"
