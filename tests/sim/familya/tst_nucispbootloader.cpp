#include "platform/clock.h"
#include "tests/common/emulateddesk.h"
#include "sim/familya/emulatedfirmware.h"
#include "sim/familya/familyascene.h"
#include "tests/sim/familya/familyawire.h"
#include "discovery/models.h"

#include <QtTest>

using namespace wire;

namespace {

// A 65-byte ISP report: id 0, command and packet number (little-endian),
// then up to 56 data bytes.
QByteArray packet(quint32 command, quint32 number, const QByteArray &data = QByteArray())
{
    QByteArray r(65, '\0');
    for (int i = 0; i < 4; ++i) {
        r[1 + i] = char((command >> (8 * i)) & 0xFF);
        r[5 + i] = char((number >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < data.size() && 9 + i < r.size(); ++i)
        r[9 + i] = data.at(i);
    return r;
}

QByteArray le32(quint32 v)
{
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

quint16 sumOfPacket(const QByteArray &report)
{
    quint32 s = 0;
    for (int i = 1; i < report.size(); ++i)
        s += quint8(report.at(i));
    return quint16(s);
}

quint32 answerNumber(const QByteArray &answer)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(answer.at(5 + i))) << (8 * i);
    return v;
}

QByteArray image(int size)
{
    QByteArray b;
    for (int i = 0; i < size; ++i)
        b.append(char((i * 7 + 3) & 0xFF));
    return b;
}

} // namespace

// The NUC123 ISP boot loader, driven with hand-built packets.
class TestNucIspBootloader : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void describesItself_data();
    void describesItself();
    void fullUpdate_data();
    void fullUpdate();
    void resendReplacesSpoiledPacket_data();
    void resendReplacesSpoiledPacket();
    void missingAnswerTimesOut();
    void countsPacketsItself_data();
    void countsPacketsItself();
    void spoiledPacketNumberIsAnsweredAndResent();
    void connectAndSyncCarryConfigWords();
    void readBackSumCatchesWriteThatDidNotTake();
    void programMemoryEnds_data();
    void programMemoryEnds();
    void runAfterHalfAnImageStays();
    void runWithoutTransferBringsOldFirmware();
    void stuckBootloaderBringsFreshMouse();
    void versionComesFromTheImage_data();
    void versionComesFromTheImage();
    void dropsMalformedReports_data();
    void dropsMalformedReports();

private:
    // Sends one packet and checks its answer: byte sum and number + 1.
    void exchange(const QByteArray &report, quint32 number);
    // Writes one packet and returns its answer (empty when none came).
    QByteArray answerTo(const QByteArray &report);
    // Sync, first packet and continuations of a whole image, numbered
    // as a host does; the indexes (0 = first packet) of the data packets
    // whose answer sum differed from the sum sent.
    QVector<int> transfer(const QByteArray &img);
    std::shared_ptr<NucIspBootloader> restartMouse(int type);

    std::unique_ptr<EmulatedDesk> m_desk;
    FamilyAScene m_scene;
    std::unique_ptr<HidDevice> m_boot;
};

void TestNucIspBootloader::init()
{
    m_desk = std::make_unique<EmulatedDesk>();
}

void TestNucIspBootloader::cleanup()
{
    m_boot.reset();
    m_scene = {};
    m_desk.reset();
}

void TestNucIspBootloader::exchange(const QByteArray &report, quint32 number)
{
    QVERIFY(m_boot->write(report));
    QByteArray answer;
    QCOMPARE(m_boot->read(answer, 20000), 65);
    QCOMPARE(answer.size(), 65);
    QCOMPARE(quint8(answer.at(0)), quint8(0));
    QCOMPARE(answer.mid(1, 2), le16(sumOfPacket(report)));
    QCOMPARE(answer.mid(5, 4), le32(number + 1));
}

QByteArray TestNucIspBootloader::answerTo(const QByteArray &report)
{
    QByteArray answer;
    if (!m_boot->write(report) || m_boot->read(answer, 20000) != 65)
        return QByteArray();
    return answer;
}

QVector<int> TestNucIspBootloader::transfer(const QByteArray &img)
{
    QVector<int> spoilt;
    const QByteArray sync = packet(0xA4, 1, le32(1));
    if (answerTo(sync).mid(1, 2) != le16(sumOfPacket(sync)))
        spoilt.append(-1);
    quint32 number = 3;
    QVector<QByteArray> packets{packet(0xA0, number, le32(0) + le32(quint32(img.size())) + img.left(48))};
    for (int sent = 48; sent < img.size(); sent += 56)
        packets.append(packet(0x00, number += 2, img.mid(sent, 56)));
    for (int i = 0; i < packets.size(); ++i) {
        const QByteArray answer = answerTo(packets.at(i));
        if (answer.mid(1, 2) != le16(sumOfPacket(packets.at(i))))
            spoilt.append(i);
    }
    return spoilt;
}

std::shared_ptr<NucIspBootloader> TestNucIspBootloader::restartMouse(int type)
{
    m_scene = plugFamilyA(m_desk->bus, type, false);
    auto dev = open(m_desk->bus, m_scene.mouse->wiredProductId(), FAMILY_A_USAGE_PAGE);
    if (!dev || !dev->write(report({0xA8})))
        return nullptr;
    m_desk->clock.advance(FamilyAMouse::kDefaultRestartDelayMs);
    m_boot = open(m_desk->bus, PID_BOOTLOADER, 0xFF00);
    return m_boot ? m_scene.mouse->bootloader() : nullptr;
}

void TestNucIspBootloader::describesItself_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("productString");
    QTest::addColumn<int>("typeFromString");
    QTest::newRow("OX7") << 11 << "KORVAN OX7 ISP" << 0;
    QTest::newRow("OX7EU") << 14 << "KORVAN OX7EU ISP" << 14;
    QTest::newRow("OX4") << 12 << "KORVAN OX4 ISP" << 12;
    QTest::newRow("OX4C") << 7 << "KORVAN OX4C ISP" << 12;
}

void TestNucIspBootloader::describesItself()
{
    QFETCH(int, type);
    QFETCH(QString, productString);
    QFETCH(int, typeFromString);
    plugNucIspBootloader(m_desk->bus, type);
    const QVector<HidDeviceInfo> all = m_desk->bus.enumerate();
    QCOMPARE(all.size(), 1);
    QCOMPARE(all.first().vendorId, VID_KORVAN);
    QCOMPARE(all.first().productId, PID_BOOTLOADER);
    QCOMPARE(all.first().productString, productString);
    QCOMPARE(all.first().inputReportLength, 65);
    QCOMPARE(all.first().outputReportLength, 65);
    QCOMPARE(turnDescriptorToMouseType(all.first().productString), typeFromString);
    QVERIFY(!plugNucIspBootloader(m_desk->bus, 3));
}

void TestNucIspBootloader::fullUpdate_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("command");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("continuations");

    QTest::newRow("48 bytes fit the first packet") << 48 << 0xA0u << 0u << 0;
    QTest::newRow("104 bytes end with a full continuation") << 104 << 0xA0u << 0u << 1;
    QTest::newRow("200 bytes end with a short continuation") << 200 << 0xA0u << 0u << 3;
    QTest::newRow("one byte") << 1 << 0xA0u << 0u << 0;
    QTest::newRow("data memory") << 60 << 0xC3u << 0x1F000u << 1;
    QTest::newRow("program memory from 0 whatever start is announced") << 100 << 0xA0u << 0x1234u << 1;
    QTest::newRow("data memory at its base whatever start is announced") << 60 << 0xC3u << 0u << 1;
}

void TestNucIspBootloader::fullUpdate()
{
    QFETCH(int, size);
    QFETCH(quint32, command);
    QFETCH(quint32, start);
    QFETCH(int, continuations);
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    boot->setVersionAfterUpdate(31);
    const QByteArray img = image(size);

    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(command, 3, le32(start) + le32(quint32(size)) + img.left(48)), 3);
    quint32 number = 5;
    for (int sent = 48; sent < size; sent += 56, number += 2)
        exchange(packet(0x00, number, img.mid(sent, 56)), number);
    QCOMPARE(boot->packetCount(0x00), continuations);
    QCOMPARE(boot->packetNumberErrors(), 0);

    const bool program = command == 0xA0;
    QCOMPARE(program ? boot->programImage() : boot->dataImage(), img);
    QCOMPARE(program ? boot->programLength() : boot->dataLength(), size);
    QCOMPARE(boot->programComplete(), program);

    QVERIFY(m_boot->write(packet(0xAB, number)));
    QVERIFY(boot->hasRun());
    QByteArray none;
    QCOMPARE(m_boot->read(none, 100), -1); // gone with the reset
    QCOMPARE(countProduct(m_desk->bus, PID_BOOTLOADER), 0);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7_WIRED), 0);
    m_desk->clock.advance(NucIspBootloader::kDefaultRunDelayMs);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7_WIRED), 2);
    QVERIFY(!m_scene.mouse->inBootloader());
    QCOMPARE(m_scene.mouse->flashCount(), program ? 1 : 0);
    QCOMPARE(m_scene.mouse->flashedImage(), program ? img : QByteArray());
    QCOMPARE(m_scene.mouse->firmwareVersion(), program ? 31u : 25u);

    // The mouse is itself again: the old answer is gone, commands work.
    auto dev = open(m_desk->bus, PID_OX7_WIRED, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(ask(*dev)), quint8(0xFF));
    QVERIFY(dev->write(report({0xFF, 0xA3, 0x00})));
    QCOMPARE(ask(*dev).mid(1, 5), hex("01") + le32(program ? 31 : 25));
}

void TestNucIspBootloader::resendReplacesSpoiledPacket_data()
{
    QTest::addColumn<bool>("shortAnswer");
    QTest::newRow("wrong byte sum") << false;
    QTest::newRow("short answer") << true;
}

void TestNucIspBootloader::resendReplacesSpoiledPacket()
{
    QFETCH(bool, shortAnswer);
    std::shared_ptr<NucIspBootloader> boot = restartMouse(14);
    QVERIFY(boot);
    const QByteArray img = image(200);
    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(0xA0, 3, le32(0) + le32(200) + img.left(48)), 3);
    exchange(packet(0x00, 5, img.mid(48, 56)), 5);

    // The answer to the second continuation goes wrong.
    if (shortAnswer)
        boot->injectShortAnswers(1, 20);
    else
        boot->injectWrongChecksum(1);
    const QByteArray spoiled = packet(0x00, 7, img.mid(104, 56));
    QVERIFY(m_boot->write(spoiled));
    QByteArray answer;
    if (shortAnswer) {
        QCOMPARE(m_boot->read(answer, 20000), 20);
    } else {
        QCOMPARE(m_boot->read(answer, 20000), 65);
        QCOMPARE(answer.mid(5, 4), le32(8));
        QVERIFY(answer.mid(1, 2) != le16(sumOfPacket(spoiled)));
    }

    // The host asks for a resend and sends the same data again.
    exchange(packet(0xFF, 9), 9);
    exchange(packet(0x00, 11, img.mid(104, 56)), 11);
    exchange(packet(0x00, 13, img.mid(160, 56)), 13);
    QCOMPARE(boot->packetCount(0xFF), 1);
    QCOMPARE(boot->programImage(), img);
    QVERIFY(boot->programComplete());
}

void TestNucIspBootloader::missingAnswerTimesOut()
{
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    boot->injectNoAnswer(1);
    QVERIFY(m_boot->write(packet(0xA4, 1, le32(1))));
    const qint64 before = m_desk->clock.nowMs();
    QByteArray answer;
    QCOMPARE(m_boot->read(answer, 20000), 0);
    QCOMPARE(m_desk->clock.nowMs() - before, qint64(20000));
    // The packet was taken; the next one is answered again.
    exchange(packet(0xA4, 3, le32(3)), 3);
}

void TestNucIspBootloader::countsPacketsItself_data()
{
    // Each step: command, number sent, first data word; then the number the
    // answer carries.
    QTest::addColumn<QVector<quint32>>("commands");
    QTest::addColumn<QVector<quint32>>("numbers");
    QTest::addColumn<QVector<quint32>>("data");
    QTest::addColumn<QVector<quint32>>("answers");
    QTest::addColumn<int>("numberErrors");

    QTest::newRow("the count starts at 1 after power-up")
        << QVector<quint32>{0x00, 0x00} << QVector<quint32>{77, 99} << QVector<quint32>{0, 0}
        << QVector<quint32>{2, 4} << 2;
    QTest::newRow("sync takes the count from its data, not its number")
        << QVector<quint32>{0xA4, 0x00} << QVector<quint32>{1, 43} << QVector<quint32>{41, 0}
        << QVector<quint32>{42, 44} << 1;
    QTest::newRow("numbers the host sends are never checked")
        << QVector<quint32>{0xA4, 0x00, 0x00, 0xFF} << QVector<quint32>{1, 1000, 5, 0}
        << QVector<quint32>{1, 0, 0, 0} << QVector<quint32>{2, 4, 6, 8} << 2;
    QTest::newRow("connect starts the count afresh")
        << QVector<quint32>{0xA4, 0xAE, 0x00} << QVector<quint32>{41, 9, 3}
        << QVector<quint32>{41, 0, 0} << QVector<quint32>{42, 2, 4} << 1;
}

void TestNucIspBootloader::countsPacketsItself()
{
    QFETCH(QVector<quint32>, commands);
    QFETCH(QVector<quint32>, numbers);
    QFETCH(QVector<quint32>, data);
    QFETCH(QVector<quint32>, answers);
    QFETCH(int, numberErrors);
    std::shared_ptr<NucIspBootloader> boot = plugNucIspBootloader(m_desk->bus, 11);
    m_boot = open(m_desk->bus, PID_BOOTLOADER, 0xFF00);
    QVERIFY(m_boot);
    for (int i = 0; i < commands.size(); ++i) {
        const QByteArray sent = packet(commands[i], numbers[i], le32(data[i]));
        const QByteArray answer = answerTo(sent);
        QCOMPARE(answer.size(), 65);
        QCOMPARE(answerNumber(answer), answers[i]);
        QCOMPARE(answer.mid(1, 2), le16(sumOfPacket(sent)));
    }
    QCOMPARE(boot->packetNumberErrors(), numberErrors);
}

void TestNucIspBootloader::spoiledPacketNumberIsAnsweredAndResent()
{
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    const QByteArray img = image(200);
    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(0xA0, 3, le32(0) + le32(200) + img.left(48)), 3);

    // Continuation 5 arrives with its number byte spoilt on the wire: still
    // answered with the right number, but the sum is that of what arrived.
    const QByteArray meant = packet(0x00, 5, img.mid(48, 56));
    QByteArray arrived = meant;
    arrived[5] = char(0x45);
    const QByteArray answer = answerTo(arrived);
    QCOMPARE(answer.size(), 65);
    QCOMPARE(answerNumber(answer), 6u);
    QVERIFY(answer.mid(1, 2) != le16(sumOfPacket(meant)));
    QCOMPARE(answer.mid(1, 2), le16(sumOfPacket(arrived)));
    QCOMPARE(boot->packetNumberErrors(), 1);

    // The host's resend recovers.
    exchange(packet(0xFF, 7), 7);
    exchange(packet(0x00, 9, img.mid(48, 56)), 9);
    exchange(packet(0x00, 11, img.mid(104, 56)), 11);
    exchange(packet(0x00, 13, img.mid(160, 56)), 13);
    QCOMPARE(boot->programImage(), img);
    QVERIFY(boot->programComplete());
    QCOMPARE(boot->packetNumberErrors(), 1);
}

void TestNucIspBootloader::connectAndSyncCarryConfigWords()
{
    std::shared_ptr<NucIspBootloader> boot = plugNucIspBootloader(m_desk->bus, 11);
    m_boot = open(m_desk->bus, PID_BOOTLOADER, 0xFF00);
    QVERIFY(m_boot);
    const QByteArray factory = le32(NucIsp::DefaultConfig0) + le32(0x1F000);
    QCOMPARE(answerTo(packet(0xAE, 1)).mid(9, 8), factory);
    QCOMPARE(answerTo(packet(0xA4, 3, le32(3))).mid(9, 8), factory);
    // Other answers carry nothing there.
    QCOMPARE(answerTo(packet(0xA0, 5, le32(0) + le32(8) + image(8))).mid(9, 8), QByteArray(8, '\0'));

    boot->setConfigWords(0x12345678, 0x9ABCDEF0);
    const QByteArray sync = packet(0xA4, 7, le32(7));
    const QByteArray answer = answerTo(sync);
    QCOMPARE(answer.mid(9, 8), le32(0x12345678) + le32(0x9ABCDEF0));
    QCOMPARE(answer.mid(1, 2), le16(sumOfPacket(sync))); // the sum is the packet's alone
}

void TestNucIspBootloader::readBackSumCatchesWriteThatDidNotTake()
{
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    const QByteArray img = image(160);
    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(0xA0, 3, le32(0) + le32(160) + img.left(48)), 3);

    boot->injectFailedWrites(1);
    const QByteArray sent = packet(0x00, 5, img.mid(48, 56));
    const QByteArray answer = answerTo(sent);
    QCOMPARE(answerNumber(answer), 6u);
    QVERIFY(answer.mid(1, 2) != le16(sumOfPacket(sent)));
    // The sum is taken over what the erased cells read back.
    QCOMPARE(answer.mid(1, 2), le16(sumOfPacket(packet(0x00, 5, QByteArray(56, char(0xFF))))));
    QCOMPARE(boot->failedReadBacks(), 1);
    QVERIFY(boot->programImage() != img.left(104));

    exchange(packet(0xFF, 7), 7);
    exchange(packet(0x00, 9, img.mid(48, 56)), 9);
    exchange(packet(0x00, 11, img.mid(104, 56)), 11);
    QCOMPARE(boot->programImage(), img);
    QVERIFY(boot->programComplete());
    QCOMPARE(boot->failedReadBacks(), 1);
}

void TestNucIspBootloader::programMemoryEnds_data()
{
    QTest::addColumn<int>("memory");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVector<int>>("spoilt");

    // 48 + 1169 × 56 = 65512: continuation 1170 holds address 0x10000.
    QTest::newRow("64 KB fill the 64 KB chip") << NucIsp::ProgramMemory64K << 65536 << QVector<int>{};
    QTest::newRow("one byte more does not read back")
        << NucIsp::ProgramMemory64K << 65537 << QVector<int>{1170};
    QTest::newRow("nor does anything past it")
        << NucIsp::ProgramMemory64K << 65600 << QVector<int>{1170, 1171};
    QTest::newRow("the 128 KB variant takes it") << NucIsp::ProgramMemory128K << 65537 << QVector<int>{};
    QTest::newRow("and 128 KB") << NucIsp::ProgramMemory128K << 131072 << QVector<int>{};
}

void TestNucIspBootloader::programMemoryEnds()
{
    QFETCH(int, memory);
    QFETCH(int, size);
    QFETCH(QVector<int>, spoilt);
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    QCOMPARE(boot->programMemorySize(), NucIsp::ProgramMemory64K);
    boot->setProgramMemorySize(memory);
    const QByteArray img = image(size);

    QCOMPARE(transfer(img), spoilt);
    QCOMPARE(boot->programComplete(), spoilt.isEmpty());
    QCOMPARE(boot->programImage(), img.left(memory));
    const quint32 number = 5 + 2 * quint32((size - 48 + 55) / 56);
    if (!spoilt.isEmpty()) {
        // A resend does not help: the same bytes still do not fit.
        const QByteArray last = img.mid(48 + 56 * (spoilt.last() - 1), 56);
        exchange(packet(0xFF, number), number);
        const QByteArray again = packet(0x00, number + 2, last);
        QVERIFY(answerTo(again).mid(1, 2) != le16(sumOfPacket(again)));
        QVERIFY(!boot->programComplete());
    }

    QVERIFY(m_boot->write(packet(0xAB, number + 4)));
    m_desk->clock.advance(NucIspBootloader::kDefaultRunDelayMs);
    // An image that did not fit is no firmware: the boot loader stays.
    QCOMPARE(countProduct(m_desk->bus, PID_BOOTLOADER), spoilt.isEmpty() ? 0 : 1);
    QCOMPARE(m_scene.mouse->flashedImage(), spoilt.isEmpty() ? img : QByteArray());
}

void TestNucIspBootloader::runAfterHalfAnImageStays()
{
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    const QByteArray img = image(200);
    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(0xA0, 3, le32(0) + le32(200) + img.left(48)), 3);
    QVERIFY(m_boot->write(packet(0xAB, 5)));
    m_desk->clock.advance(10000);
    QCOMPARE(countProduct(m_desk->bus, PID_BOOTLOADER), 1);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7_WIRED), 0);
    QVERIFY(m_scene.mouse->inBootloader());
    // Still listening: a later run finds it and starts over.
    exchange(packet(0xA4, 1, le32(1)), 1);
}

void TestNucIspBootloader::runWithoutTransferBringsOldFirmware()
{
    std::shared_ptr<NucIspBootloader> boot = restartMouse(9);
    QVERIFY(boot);
    exchange(packet(0xA4, 1, le32(1)), 1);
    QVERIFY(m_boot->write(packet(0xAB, 3)));
    m_desk->clock.advance(NucIspBootloader::kDefaultRunDelayMs);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7C_WIRED), 2);
    QCOMPARE(m_scene.mouse->flashCount(), 0);
    QCOMPARE(m_scene.mouse->firmwareVersion(), 25u);
}

void TestNucIspBootloader::stuckBootloaderBringsFreshMouse()
{
    std::shared_ptr<NucIspBootloader> boot = plugNucIspBootloader(m_desk->bus, 14);
    QVERIFY(boot);
    QVERIFY(!boot->mouse());
    m_boot = open(m_desk->bus, PID_BOOTLOADER, 0xFF00);
    QVERIFY(m_boot);
    const QByteArray img = image(48);
    exchange(packet(0xA4, 1, le32(1)), 1);
    exchange(packet(0xA0, 3, le32(0) + le32(48) + img), 3);
    QVERIFY(m_boot->write(packet(0xAB, 5)));
    m_desk->clock.advance(NucIspBootloader::kDefaultRunDelayMs);
    QCOMPARE(countProduct(m_desk->bus, PID_OX7EU_WIRED), 2);
    QVERIFY(boot->mouse());
    QCOMPARE(boot->mouse()->flashedImage(), img);
    QCOMPARE(boot->mouse()->memory(4, 2), le16(PID_OX7EU_WIRED));
}

void TestNucIspBootloader::versionComesFromTheImage_data()
{
    QTest::addColumn<QByteArray>("img");
    QTest::addColumn<int>("setVersion"); // -1: setVersionAfterUpdate not called
    QTest::addColumn<quint32>("reported");

    const QByteArray tagged = EmulatedFirmware::makeImage(40, 700);
    QTest::newRow("a tagged image brings its version") << tagged << -1 << 40u;
    QTest::newRow("the tag wins over the version set for the test") << tagged << 31 << 40u;
    QTest::newRow("a short image tagged at its start") << EmulatedFirmware::makeImage(7, 20) << -1 << 7u;
    QTest::newRow("an untagged image takes the version set for the test") << image(700) << 31 << 31u;
    QTest::newRow("an untagged image keeps the old version") << image(700) << -1 << 25u;
    QTest::newRow("a tag cut off at the image's end counts for nothing")
        << image(100) + QByteArray(EmulatedFirmware::kVersionTag, EmulatedFirmware::kVersionTagSize) + "\x28\x00"
        << -1 << 25u;
}

void TestNucIspBootloader::versionComesFromTheImage()
{
    QFETCH(QByteArray, img);
    QFETCH(int, setVersion);
    QFETCH(quint32, reported);
    std::shared_ptr<NucIspBootloader> boot = restartMouse(11);
    QVERIFY(boot);
    if (setVersion >= 0)
        boot->setVersionAfterUpdate(quint32(setVersion));
    QVERIFY(transfer(img).isEmpty());
    QVERIFY(m_boot->write(packet(0xAB, 99)));
    m_desk->clock.advance(NucIspBootloader::kDefaultRunDelayMs);
    QVERIFY(!m_scene.mouse->inBootloader());
    QCOMPARE(m_scene.mouse->flashedImage(), img);
    QCOMPARE(m_scene.mouse->firmwareVersion(), reported);
    // The running firmware answers the version register with it.
    auto dev = open(m_desk->bus, PID_OX7_WIRED, FAMILY_A_USAGE_PAGE);
    QVERIFY(dev);
    QCOMPARE(status(ask(*dev)), quint8(0xFF));
    QVERIFY(dev->write(report({0xFF, 0xA3, 0x00})));
    QCOMPARE(ask(*dev).mid(1, 5), hex("01") + le32(reported));
}

void TestNucIspBootloader::dropsMalformedReports_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::newRow("64 bytes without the id") << packet(0xA4, 1).mid(1);
    QTest::newRow("report id 1") << QByteArray(1, 1) + packet(0xA4, 1).mid(1);
    QTest::newRow("a family A command report") << report({0xFF, 0xA2, 0x00});
}

void TestNucIspBootloader::dropsMalformedReports()
{
    QFETCH(QByteArray, raw);
    std::shared_ptr<NucIspBootloader> boot = plugNucIspBootloader(m_desk->bus, 11);
    m_boot = open(m_desk->bus, PID_BOOTLOADER, 0xFF00);
    QVERIFY(m_boot);
    QVERIFY(!m_boot->write(raw));
    QCOMPARE(boot->outputReports(), 0);
    QByteArray answer;
    QCOMPARE(m_boot->read(answer, 50), 0);
}

QTEST_GUILESS_MAIN(TestNucIspBootloader)
#include "tst_nucispbootloader.moc"
