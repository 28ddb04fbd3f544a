#include "platform/clock.h"
#include "tests/common/emulateddesk.h"
#include "sim/familya/familyascene.h"
#include "tests/sim/familya/familyawire.h"
#include "discovery/models.h"

#include <QtTest>

using namespace wire;

Q_DECLARE_METATYPE(FamilyAReceiver::PairingOutcome)

// The family A receiver: forwarding to its mouse and its own pairing
// commands, driven with hand-written reports.
class TestFamilyAReceiver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void enumeratesAsReceiverOnly();
    void readsMousePidThroughReceiver_data();
    void readsMousePidThroughReceiver();
    void forwardedWriteReachesMouse();
    void noAnswerWithoutLink_data();
    void noAnswerWithoutLink();
    void refusesWhatIsNotForIt_data();
    void refusesWhatIsNotForIt();
    void pairingExchange();
    void pairingOutcome_data();
    void pairingOutcome();
    void missingAcknowledge();
    void mismatchCommandsAreAcknowledged();
    void receiverFaultsSpoilForwardedAnswers();
    void cableAndReceiverShareOneMouse();

private:
    QByteArray transact(HidDevice &dev, const QByteArray &afterId);

    std::unique_ptr<EmulatedDesk> m_desk;
};

void TestFamilyAReceiver::init()
{
    m_desk = std::make_unique<EmulatedDesk>();
}

void TestFamilyAReceiver::cleanup()
{
    m_desk.reset();
}

QByteArray TestFamilyAReceiver::transact(HidDevice &dev, const QByteArray &afterId)
{
    if (!dev.write(report(afterId)))
        return QByteArray();
    return ask(dev);
}

void TestFamilyAReceiver::enumeratesAsReceiverOnly()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 11, true);
    QVERIFY(scene.mouse && scene.receiver);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7_WIRED), 0);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7_RECEIVER), 2);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QVERIFY(!FamilyAReceiver::create(13));
    QVERIFY(!plugFamilyA(m_desk->bus, 3, true).isValid());
}

void TestFamilyAReceiver::readsMousePidThroughReceiver_data()
{
    QTest::addColumn<int>("receiverType");
    QTest::addColumn<int>("mouseType");
    QTest::addColumn<quint16>("receiverPid");
    QTest::addColumn<quint16>("expectedPid");

    QTest::newRow("OX7 mouse behind its receiver") << 11 << 11 << PID_OX7_RECEIVER << PID_OX7_WIRED;
    QTest::newRow("OX4 behind its wireless id") << 12 << 12 << PID_OX4_WIRELESS << PID_OX4_WIRED;
    QTest::newRow("foreign OX7C mouse behind an OX7 receiver")
        << 11 << 9 << PID_OX7_RECEIVER << PID_OX7C_WIRED;
    QTest::newRow("foreign OX7 mouse behind an OX7EU receiver")
        << 14 << 11 << PID_OX7EU_RECEIVER << PID_OX7_WIRED;
}

void TestFamilyAReceiver::readsMousePidThroughReceiver()
{
    QFETCH(int, receiverType);
    QFETCH(int, mouseType);
    QFETCH(quint16, receiverPid);
    QFETCH(quint16, expectedPid);
    FamilyAScene scene = plugFamilyAReceiver(m_desk->bus, receiverType, mouseType);
    auto dev = open(m_desk->bus, receiverPid, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    const QByteArray a = transact(*dev, hex("a5a40204000000"));
    QCOMPARE(status(a), quint8(1));
    QCOMPARE(a.mid(5, 2), le16(expectedPid));
    QCOMPARE(scene.mouse->commandCount(0xA4), 1);
    QCOMPARE(scene.receiver->forwardedCount(), 1);
    QCOMPARE(scene.receiver->outputReports(), 1);
}

void TestFamilyAReceiver::forwardedWriteReachesMouse()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 10, true);
    auto dev = open(m_desk->bus, PID_OX7Q_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(transact(*dev, hex("a5a50400060000") + hex("05000300"))), quint8(1));
    QCOMPARE(scene.mouse->memory(0x600, 4), hex("05000300"));
    QCOMPARE(scene.mouse->memoryWrites(), 1);
    const QByteArray a = transact(*dev, hex("a5a40400060000"));
    QCOMPARE(a.mid(1, 8), hex("0104000605000300"));
    QCOMPARE(transact(*dev, hex("a5a200")).mid(1, 2), hex("0101"));
}

void TestFamilyAReceiver::noAnswerWithoutLink_data()
{
    QTest::addColumn<bool>("hasMouse");
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<bool>("pairing");
    QTest::newRow("no mouse paired") << false << false << false;
    QTest::newRow("mouse switched off") << true << true << false;
    QTest::newRow("receiver open for pairing") << true << false << true;
}

void TestFamilyAReceiver::noAnswerWithoutLink()
{
    QFETCH(bool, hasMouse);
    QFETCH(bool, switchedOff);
    QFETCH(bool, pairing);
    FamilyAScene scene = plugFamilyAReceiver(m_desk->bus, 11, hasMouse ? 11 : 0);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    if (switchedOff)
        scene.mouse->setPoweredOn(false);
    if (pairing)
        QCOMPARE(status(transact(*dev, hex("a081"))), quint8(1));
    QVERIFY(dev->write(report(hex("a5a200"))));
    for (int i = 0; i < 25; ++i)
        QCOMPARE(status(ask(*dev)), quint8(0xFF));
    if (scene.mouse)
        QCOMPARE(scene.mouse->commandCount(0xA2), 0);
}

void TestFamilyAReceiver::refusesWhatIsNotForIt_data()
{
    QTest::addColumn<QByteArray>("afterId");
    QTest::newRow("restart in receiver form") << hex("a8");
    QTest::newRow("restart forwarded to the mouse") << hex("a5a8");
    QTest::newRow("cable target") << hex("ffa200");
    QTest::newRow("open with the wrong key") << hex("a000");
    QTest::newRow("unknown receiver command") << hex("b3");
}

void TestFamilyAReceiver::refusesWhatIsNotForIt()
{
    QFETCH(QByteArray, afterId);
    FamilyAScene scene = plugFamilyA(m_desk->bus, 11, true);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(transact(*dev, afterId)), quint8(0));
    m_desk->clock.advance(60000);
    QCOMPARE(countProduct(m_desk->bus, PID_BOOTLOADER), 0);
    QVERIFY(!scene.mouse->inBootloader());
    QVERIFY(!scene.receiver->isPairing());
}

void TestFamilyAReceiver::pairingExchange()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 11, true);
    scene.receiver->setPairingOutcome(FamilyAReceiver::PairingOutcome::PairsAfterQueries, 2);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);

    QCOMPARE(transact(*dev, hex("a081")).mid(1, 2), hex("0100"));
    QVERIFY(scene.receiver->isPairing());
    QCOMPARE(transact(*dev, hex("a18f78563412")).mid(1, 2), hex("0100"));
    QVERIFY(scene.receiver->hasLinkAddress());
    QCOMPARE(scene.receiver->linkAddress(), quint32(0x12345678));

    QCOMPARE(transact(*dev, hex("a7")).mid(1, 2), hex("0101"));
    QCOMPARE(transact(*dev, hex("a7")).mid(1, 2), hex("0101"));
    QCOMPARE(transact(*dev, hex("a7")).mid(1, 2), hex("0100"));
    QVERIFY(!scene.receiver->isPairing());
    // Paired again, the mouse answers.
    QCOMPARE(status(transact(*dev, hex("a5a200"))), quint8(1));
    QCOMPARE(scene.receiver->commandCount(0xA0), 1);
    QCOMPARE(scene.receiver->commandCount(0xA1), 1);
    QCOMPARE(scene.receiver->commandCount(0xA7), 3);
}

void TestFamilyAReceiver::pairingOutcome_data()
{
    QTest::addColumn<FamilyAReceiver::PairingOutcome>("outcome");
    QTest::addColumn<int>("queries");
    QTest::addColumn<int>("pairedType");    // 0: none
    QTest::addColumn<int>("candidateType"); // 0: none
    QTest::addColumn<QByteArray>("modes");
    QTest::addColumn<quint16>("pidAfter"); // 0: no answer expected

    using O = FamilyAReceiver::PairingOutcome;
    QTest::newRow("pairs after three queries")
        << O::PairsAfterQueries << 3 << 11 << 0 << hex("01010100") << PID_OX7_WIRED;
    QTest::newRow("pairs at the first query")
        << O::PairsAfterQueries << 0 << 11 << 0 << hex("0000") << PID_OX7_WIRED;
    QTest::newRow("never pairs") << O::NeverPairs << 0 << 11 << 0 << QByteArray(40, 1) << quint16(0);
    QTest::newRow("a new mouse takes the place of the foreign one")
        << O::PairsAfterQueries << 1 << 9 << 11 << hex("0100") << PID_OX7_WIRED;
    QTest::newRow("nothing to pair with") << O::PairsAfterQueries << 0 << 0 << 0 << QByteArray(10, 1)
                                          << quint16(0);
    QTest::newRow("a mouse arrives for an empty receiver")
        << O::PairsAfterQueries << 2 << 0 << 11 << hex("01010000") << PID_OX7_WIRED;
}

void TestFamilyAReceiver::pairingOutcome()
{
    QFETCH(FamilyAReceiver::PairingOutcome, outcome);
    QFETCH(int, queries);
    QFETCH(int, pairedType);
    QFETCH(int, candidateType);
    QFETCH(QByteArray, modes);
    QFETCH(quint16, pidAfter);

    FamilyAScene scene = plugFamilyAReceiver(m_desk->bus, 11, pairedType);
    scene.receiver->setPairingOutcome(outcome, queries);
    if (candidateType)
        scene.receiver->setPairingCandidate(FamilyAMouse::create(candidateType));
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(transact(*dev, hex("a081"))), quint8(1));
    for (int i = 0; i < modes.size(); ++i) {
        const QByteArray a = transact(*dev, hex("a7"));
        QCOMPARE(status(a), quint8(1));
        QCOMPARE(quint8(a.at(2)), quint8(modes.at(i)));
    }
    const QByteArray pid = transact(*dev, hex("a5a40204000000"));
    if (pidAfter) {
        QCOMPARE(status(pid), quint8(1));
        QCOMPARE(pid.mid(5, 2), le16(pidAfter));
    } else {
        QCOMPARE(status(pid), quint8(0xFF));
    }
}

void TestFamilyAReceiver::missingAcknowledge()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 11, true);
    scene.receiver->setNoAck(hex("a18f"));
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(transact(*dev, hex("a081"))), quint8(1));
    QVERIFY(dev->write(report(hex("a18f01000000"))));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(status(ask(*dev)), quint8(0xFF));
    QVERIFY(!scene.receiver->hasLinkAddress());
    // Other commands still get their acknowledge.
    QCOMPARE(status(transact(*dev, hex("a7"))), quint8(1));
    scene.receiver->clearNoAck();
    QCOMPARE(status(transact(*dev, hex("a18f01000000"))), quint8(1));
}

void TestFamilyAReceiver::mismatchCommandsAreAcknowledged()
{
    FamilyAScene scene = plugFamilyAReceiver(m_desk->bus, 11, 9);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(transact(*dev, hex("a081")).mid(1, 1), hex("01"));
    QCOMPARE(transact(*dev, hex("a181")).mid(1, 1), hex("01"));
    QVERIFY(!scene.receiver->isPairing());
    QVERIFY(!scene.receiver->hasLinkAddress());
    QCOMPARE(scene.receiver->pairedMouse(), scene.mouse);
}

void TestFamilyAReceiver::receiverFaultsSpoilForwardedAnswers()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 11, true);
    auto dev = open(m_desk->bus, PID_OX7_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    scene.receiver->injectBusyReads(2);
    QVERIFY(dev->write(report(hex("a5a300"))));
    QCOMPARE(status(ask(*dev)), quint8(2));
    QCOMPARE(status(ask(*dev)), quint8(2));
    QCOMPARE(status(ask(*dev)), quint8(1));

    scene.receiver->injectFailedCommands(1);
    QCOMPARE(status(transact(*dev, hex("a5a50400060000aabbccdd"))), quint8(0));
    QCOMPARE(scene.mouse->commandCount(0xA5), 0);
    QCOMPARE(status(transact(*dev, hex("a5a50400060000aabbccdd"))), quint8(1));
    QCOMPARE(scene.mouse->memory(0x600, 4), hex("aabbccdd"));
}

void TestFamilyAReceiver::cableAndReceiverShareOneMouse()
{
    FamilyAScene scene = plugFamilyA(m_desk->bus, 14, FamilyALink::CableAndReceiver);
    auto cable = open(m_desk->bus, PID_OX7EU_WIRED, FAMILY_A_USAGE_PAGE);
    auto receiver = open(m_desk->bus, PID_OX7EU_RECEIVER, FAMILY_A_USAGE_PAGE);
    QVERIFY(cable && receiver);
    QVERIFY(cable->write(report(hex("ffa50400080000") + hex("0a0b0c0d"))));
    // The receiver keeps its own answer while the cable gets another.
    QVERIFY(receiver->write(report(hex("a5a40400080000"))));
    QCOMPARE(status(ask(*cable)), quint8(1));
    QCOMPARE(ask(*receiver).mid(5, 4), hex("0a0b0c0d"));
    QCOMPARE(scene.mouse->commandCount(0xA4), 1);
    QCOMPARE(scene.mouse->commandCount(0xA5), 1);
}

QTEST_GUILESS_MAIN(TestFamilyAReceiver)
#include "tst_familyareceiver.moc"
