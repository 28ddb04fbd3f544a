#include "device/familya/familyacodec.h"
#include "sim/familya/familyascene.h"
#include "device/familya/fwupdate.h"

#include "platform/clock.h"
#include "sim/emulatedhidbus.h"
#include "platform/hidparse.h"
#include "discovery/models.h"
#include "tests/common/emulateddesk.h"
#include "tests/common/scriptedhidbus.h"

#include <QtTest>

#include <functional>

namespace {
// Sits between the flasher and the emulated bus and can spoil packets on
// the way out and the boot loader's answers on the way back, as a bad USB
// link would.
class LinkFaultBus final : public HidBus
{
public:
    explicit LinkFaultBus(HidBus &inner)
        : m_inner(inner)
    {
    }

    // Called for every answer read (index counts from 0); return false to
    // lose the answer (the read then times out).
    std::function<bool(int index, QByteArray &answer)> spoil;
    // Called for every report written (index counts from 0) before it
    // reaches the device.
    std::function<void(int index, QByteArray &report)> spoilWrite;
    int writes = 0;
    // Called before every read of an answer.
    std::function<void()> beforeRead;
    // Called for every report written; returning false reports the write as
    // failed. deliver says whether the report still reached the device (a
    // write that went out but whose completion was lost).
    std::function<bool(const QByteArray &report, bool &deliver)> write;
    int answers = 0;

    QVector<HidDeviceInfo> enumerate() override { return m_inner.enumerate(); }
    std::unique_ptr<HidDevice> open(const QString &path) override
    {
        std::unique_ptr<HidDevice> device = m_inner.open(path);
        return device ? std::make_unique<Handle>(this, std::move(device)) : nullptr;
    }

private:
    class Handle final : public HidDevice
    {
    public:
        Handle(LinkFaultBus *bus, std::unique_ptr<HidDevice> inner)
            : m_bus(bus)
            , m_inner(std::move(inner))
        {
        }
        bool write(const QByteArray &report) override
        {
            QByteArray sent = report;
            if (m_bus->spoilWrite)
                m_bus->spoilWrite(m_bus->writes, sent);
            ++m_bus->writes;
            bool deliver = true;
            const bool ok = !m_bus->write || m_bus->write(sent, deliver);
            const bool written = deliver ? m_inner->write(sent) : false;
            return ok && written;
        }
        int read(QByteArray &report, int timeoutMs) override
        {
            if (m_bus->beforeRead)
                m_bus->beforeRead();
            const int n = m_inner->read(report, timeoutMs);
            if (n <= 0 || !m_bus->spoil)
                return n;
            if (!m_bus->spoil(m_bus->answers++, report)) {
                deviceClock().sleepMs(timeoutMs);
                return 0;
            }
            return report.size();
        }
        bool getInputReport(QByteArray &report) override { return m_inner->getInputReport(report); }
        bool setFeature(const QByteArray &report) override { return m_inner->setFeature(report); }
        bool getFeature(QByteArray &report) override { return m_inner->getFeature(report); }
        int lastError() const override { return m_inner->lastError(); }

    private:
        LinkFaultBus *m_bus;
        std::unique_ptr<HidDevice> m_inner;
    };

    HidBus &m_inner;
};

QByteArray firmware(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 7 + i / 256) & 0xFF);
    return image;
}

int continuationsFor(int size)
{
    return size <= familya::kIspFirstDataSize ? 0 : (size - familya::kIspFirstDataSize + 55) / 56;
}

// An OX7 on its cable (or stuck in its boot loader) with the given program
// memory, the flasher aimed at it, virtual time.
struct FlashRig : EmulatedDesk
{
    QTemporaryDir dir;
    LinkFaultBus link{bus};
    FamilyAScene scene;
    std::shared_ptr<NucIspBootloader> stuck;
    std::shared_ptr<NucIspBootloader> started; // the one the mouse restarted into
    FwUpdate flasher;

    explicit FlashRig(bool alreadyInBootloader = false, int programMemory = NucIsp::ProgramMemory64K)
    {
        setHidBus(&link); // in front of the desk's bus
        if (alreadyInBootloader) {
            stuck = plugNucIspBootloader(bus, 11);
            stuck->setProgramMemorySize(programMemory);
        } else {
            scene = plugFamilyA(bus, 11, false);
            scene.mouse->setProgramMemorySize(programMemory);
        }
        flasher.SetDevicePaths(wiredPathFragment(11), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
        // The mouse only keeps a weak reference to its boot loader; hold it
        // for the checks after the run.
        link.beforeRead = [this] {
            if (!started && scene.mouse)
                started = scene.mouse->bootloader();
        };
    }
    ~FlashRig() { setHidBus(nullptr); }

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }
    std::shared_ptr<NucIspBootloader> bootloader() { return stuck ? stuck : started; }
};
} // namespace

class TestFwUpdate : public QObject
{
    Q_OBJECT

private slots:
    void imageFiles_data();
    void imageFiles();

    void flashes_data();
    void flashes();
    void badAnswersAreResent_data();
    void badAnswersAreResent();
    void lostAnswerTimesOut();
    void endlessBadAnswersGiveUp();
    void spoiltPacketNumbersAreResent_data();
    void spoiltPacketNumbersAreResent();

    void imageLargerThanKnownMemoryIsRefused_data();
    void imageLargerThanKnownMemoryIsRefused();
    void imagePastTheMemoryEndFailsInTheBootLoader();

    void strayAnswersEndAsTimeOut();
    void noDeviceNoUpdate();
    void bootLoaderNeverAppears();
    void badFileLeavesTheMouseRunning();
    void failedRestartRequestFailsTheUpdate();
    void failedRunPacketFailsTheUpdate();

    void runsOnItsOwnThread();
    void deletedOnItsCreatorsThread();
};

void TestFwUpdate::imageFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ok");

    QTest::newRow("exactly 0x20000 bytes") << "Nuc123.bin" << 0x20000 << true;
    QTest::newRow("one byte more") << "Nuc123.bin" << 0x20001 << false;
    QTest::newRow("48 bytes") << "Nuc123.bin" << 48 << true;
    QTest::newRow("an empty file") << "Nuc123.bin" << 0 << false;
    QTest::newRow("hex extension") << "Nuc123.hex" << 100 << false;
    QTest::newRow("upper-case hex extension") << "Nuc123.HEX" << 100 << false;
    QTest::newRow("extension containing hex") << "Nuc123.ihex" << 100 << false;
    QTest::newRow("hex only in the name") << "hexfile.bin" << 100 << true;
    QTest::newRow("no extension") << "Nuc123" << 100 << true;
    QTest::newRow("missing file") << "" << 0 << false;
}

void TestFwUpdate::imageFiles()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(bool, ok);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("absent.bin"));
    if (!name.isEmpty()) {
        path = dir.filePath(name);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(firmware(size));
    }
    QByteArray image("stale");
    QCOMPARE(FwUpdate::LoadImage(path, image), ok);
    if (ok)
        QCOMPARE(image, firmware(size));
    else
        QCOMPARE(image, QByteArray("stale"));
}

void TestFwUpdate::flashes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("inBootloader");
    QTest::addColumn<int>("memory");

    QTest::newRow("128 KB from the running mouse, 128 KB chip") << 131072 << false << NucIsp::ProgramMemory128K;
    QTest::newRow("64 KB fill the 64 KB chip") << 65536 << false << NucIsp::ProgramMemory64K;
    QTest::newRow("48 bytes fit the first packet") << 48 << false << NucIsp::ProgramMemory64K;
    QTest::newRow("49 bytes need one continuation") << 49 << false << NucIsp::ProgramMemory64K;
    QTest::newRow("a mouse already in its boot loader") << 1000 << true << NucIsp::ProgramMemory64K;
}

void TestFwUpdate::flashes()
{
    QFETCH(int, size);
    QFETCH(bool, inBootloader);
    QFETCH(int, memory);

    FlashRig r(inBootloader, memory);
    const QByteArray image = firmware(size);
    QSignalSpy percent(&r.flasher, &FwUpdate::sigPercent);
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), image));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 1);
    std::shared_ptr<NucIspBootloader> boot = r.bootloader();
    QVERIFY(boot);
    QCOMPARE(boot->programImage(), image);
    QVERIFY(boot->programComplete());
    QVERIFY(boot->hasRun());
    QCOMPARE(boot->packetCount(NucIsp::Continuation), continuationsFor(size));
    QCOMPARE(boot->packetCount(NucIsp::Sync), 1);
    QCOMPARE(boot->packetCount(NucIsp::Resend), 0);
    QCOMPARE(boot->packetNumberErrors(), 0);
    // Sync, first packet and each continuation take two numbers, run one.
    QCOMPARE(FwUpdate::PacketNumber(), quint32(1 + 2 * (2 + continuationsFor(size)) + 1));

    QList<int> values;
    for (const QList<QVariant> &p : percent)
        values.append(p.at(0).toInt());
    QVERIFY(values.size() >= 5);
    QCOMPARE(values.mid(values.size() - 5), (QList<int>{80, 85, 90, 95, 100}));
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values[i - 1] <= values[i]);
    QVERIFY(values.first() <= 80);

    // The mouse comes back with the new image.
    QVERIFY(FindHidDevice(wiredPathFragment(11)));
    QVERIFY(!FindHidDevice(hidPathFragment(VID_KORVAN, PID_BOOTLOADER)));
    std::shared_ptr<FamilyAMouse> mouse = boot->mouse();
    QVERIFY(mouse);
    QCOMPARE(mouse->flashedImage(), image);

    const qint64 waits = (inBootloader ? 0 : FwUpdate::kRestartWaitMs + FwUpdate::kBootPollWaitMs)
        + FwUpdate::kRunWaitMs + 4 * FwUpdate::kProgressStepMs;
    QCOMPARE(r.clock.totalSleptMs(), waits);
}

void TestFwUpdate::badAnswersAreResent_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QVector<int>>("answers");
    QTest::addColumn<int>("resends");

    QTest::newRow("a checksum error is resent once") << "checksum" << QVector<int>{9} << 1;
    QTest::newRow("a short answer is resent once") << "short" << QVector<int>{9} << 1;
    QTest::newRow("the resent packet fails again") << "checksum" << QVector<int>{9, 11} << 2;
    QTest::newRow("a spoilt answer to the resend request") << "checksum" << QVector<int>{9, 10} << 1;
    QTest::newRow("bad answers far apart") << "short" << QVector<int>{5, 700, 2000} << 3;
}

void TestFwUpdate::badAnswersAreResent()
{
    QFETCH(QString, fault);
    QFETCH(QVector<int>, answers);
    QFETCH(int, resends);

    FlashRig r(false, NucIsp::ProgramMemory128K);
    r.link.spoil = [&](int index, QByteArray &answer) {
        if (answers.contains(index)) {
            if (fault == QLatin1String("checksum"))
                answer[1] = char(answer[1] + 1);
            else
                answer.truncate(33);
        }
        return true;
    };
    const QByteArray image = firmware(131072);
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), image));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 1);
    std::shared_ptr<NucIspBootloader> boot = r.bootloader();
    QCOMPARE(boot->packetCount(NucIsp::Resend), resends);
    QCOMPARE(boot->packetCount(NucIsp::Continuation), continuationsFor(131072) + resends);
    QCOMPARE(boot->packetNumberErrors(), 0);
    QCOMPARE(boot->programImage(), image);
}

void TestFwUpdate::lostAnswerTimesOut()
{
    FlashRig r;
    r.link.spoil = [](int index, QByteArray &) { return index != 9; };
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(4096)));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.flasher.LastError(), int(FwUpdate::TimedOut));
    // 3 s restart, 2 s poll, then the 20 s limit for the lost answer.
    QCOMPARE(r.clock.totalSleptMs(), qint64(FwUpdate::kRestartWaitMs + FwUpdate::kBootPollWaitMs
                                            + FwUpdate::kReceiveLimitMs));
    // The mouse stays in its boot loader, where the next run finds it.
    QVERIFY(FindHidDevice(hidPathFragment(VID_KORVAN, PID_BOOTLOADER)));
    r.link.spoil = nullptr;
    result.clear();
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(4096)));
    QCOMPARE(result.first().at(0).toInt(), 1);
}

void TestFwUpdate::endlessBadAnswersGiveUp()
{
    FlashRig r;
    r.link.spoil = [](int index, QByteArray &answer) {
        if (index >= 9)
            answer[2] = char(answer[2] ^ 0x40);
        return true;
    };
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(4096)));
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.flasher.LastError(), int(FwUpdate::ChecksumMismatch));
    QCOMPARE(r.bootloader()->packetCount(NucIsp::Resend), FwUpdate::kMaxResends);
}

void TestFwUpdate::spoiltPacketNumbersAreResent_data()
{
    // Writes: 0 sync, 1 first packet, then continuations, resend requests
    // and resent continuations in order.
    QTest::addColumn<QVector<int>>("writes");
    QTest::addColumn<int>("resends");

    QTest::newRow("a continuation's number byte") << QVector<int>{5} << 1;
    QTest::newRow("the resent continuation's as well") << QVector<int>{5, 7} << 2;
    QTest::newRow("the resend request's") << QVector<int>{5, 6} << 1;
    QTest::newRow("numbers far apart") << QVector<int>{3, 400, 1000} << 3;
}

// The boot loader answers a packet whatever its number; the byte sum shows
// the damage and the resend recovers.
void TestFwUpdate::spoiltPacketNumbersAreResent()
{
    QFETCH(QVector<int>, writes);
    QFETCH(int, resends);

    FlashRig r;
    r.link.spoilWrite = [&](int index, QByteArray &report) {
        if (writes.contains(index))
            report[5] = char(report[5] ^ 0x40); // low byte of the packet number
    };
    const QByteArray image = firmware(65536);
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), image));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 1);
    std::shared_ptr<NucIspBootloader> boot = r.bootloader();
    QCOMPARE(boot->packetNumberErrors(), writes.size());
    QCOMPARE(boot->packetCount(NucIsp::Resend), resends);
    QCOMPARE(boot->programImage(), image);
    QCOMPARE(boot->mouse()->flashedImage(), image);
}

void TestFwUpdate::imageLargerThanKnownMemoryIsRefused_data()
{
    QTest::addColumn<bool>("inBootloader");
    QTest::newRow("the running mouse keeps its firmware") << false;
    QTest::newRow("a mouse in its boot loader stays there") << true;
}

void TestFwUpdate::imageLargerThanKnownMemoryIsRefused()
{
    QFETCH(bool, inBootloader);

    FlashRig r(inBootloader);
    r.flasher.SetProgramMemorySize(modelRow(Ox7).programMemory);
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    QTest::ignoreMessage(QtDebugMsg, "image larger than the mouse's program memory");
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(65537)));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.flasher.LastError(), int(FwUpdate::ImageTooLarge));
    QCOMPARE(r.clock.totalSleptMs(), qint64(0));
    if (inBootloader) {
        QCOMPARE(r.stuck->outputReports(), 0);
        QVERIFY(FindHidDevice(hidPathFragment(VID_KORVAN, PID_BOOTLOADER)));
    } else {
        QCOMPARE(r.scene.mouse->commandCount(familya::kCmdEnterBootloader), 0);
        QVERIFY(FindHidDevice(wiredPathFragment(11)));
    }

    // What fits still goes in.
    result.clear();
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(65536)));
    QCOMPARE(result.first().at(0).toInt(), 1);
}

// Without the model's size the flasher finds out where the chip's memory
// ends: nothing past it reads back, every resend fails, the mouse stays in
// its boot loader and a fitting image repairs it.
void TestFwUpdate::imagePastTheMemoryEndFailsInTheBootLoader()
{
    FlashRig r;
    QByteArray image = firmware(65537);
    image[65536] = char(0xA5); // nothing past the end reads back as this
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    QTest::ignoreMessage(QtDebugMsg, "image larger than the mouse's program memory");
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), image));

    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.flasher.LastError(), int(FwUpdate::ImageTooLarge));
    std::shared_ptr<NucIspBootloader> boot = r.bootloader();
    QCOMPARE(boot->packetCount(NucIsp::Resend), FwUpdate::kMaxResends);
    QVERIFY(!boot->programComplete());
    QVERIFY(!boot->hasRun());
    QVERIFY(FindHidDevice(hidPathFragment(VID_KORVAN, PID_BOOTLOADER)));
    QVERIFY(!FindHidDevice(wiredPathFragment(11)));

    // The repair: a later run finds the boot loader and flashes what fits.
    result.clear();
    const QByteArray fitting = firmware(65536);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), fitting));
    QCOMPARE(result.first().at(0).toInt(), 1);
    QVERIFY(FindHidDevice(wiredPathFragment(11)));
    QCOMPARE(r.scene.mouse->flashedImage(), fitting);
}

void TestFwUpdate::strayAnswersEndAsTimeOut()
{
    // A boot loader that answers every packet with a number of its own.
    ScriptedScene s;
    auto boot = s.bus.add(VID_KORVAN, PID_BOOTLOADER, 0xFF00, 1);
    boot->readResponder = [](const QByteArray &) {
        QByteArray answer(65, '\0');
        familya::putLe32(answer, 5, 0xFFFF);
        return answer;
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Nuc123.bin"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(firmware(100));
    }
    FwUpdate flasher;
    flasher.SetDevicePaths(wiredPathFragment(11), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
    QSignalSpy result(&flasher, &FwUpdate::sigUpdateResult);
    flasher.slotUpdate(path);
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(flasher.LastError(), int(FwUpdate::TimedOut));
    QCOMPARE(boot->writes.size(), 1); // the sync packet, never answered
}

void TestFwUpdate::noDeviceNoUpdate()
{
    FlashRig r;
    r.bus.unplugAll();
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    QTest::ignoreMessage(QtDebugMsg, " FW no enter updatemode ");
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(100)));
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.clock.totalSleptMs(), qint64(0));
}

void TestFwUpdate::bootLoaderNeverAppears()
{
    FlashRig r;
    r.scene.mouse->setRestartDelayMs(60000);
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(100)));
    QCOMPARE(result.first().at(0).toInt(), 0);
    QCOMPARE(r.clock.totalSleptMs(),
             qint64(FwUpdate::kRestartWaitMs + FwUpdate::kBootPollCount * FwUpdate::kBootPollWaitMs));
    QCOMPARE(r.scene.mouse->commandCount(familya::kCmdEnterBootloader), 1);
}

void TestFwUpdate::badFileLeavesTheMouseRunning()
{
    FlashRig r;
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), QByteArray()));
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.hex"), firmware(100)));
    r.flasher.slotUpdate(r.file(QStringLiteral("Nuc123.bin"), firmware(0x20001)));
    QCOMPARE(result.count(), 3);
    for (const QList<QVariant> &v : result)
        QCOMPARE(v.at(0).toInt(), 0);
    QCOMPARE(r.scene.mouse->commandCount(familya::kCmdEnterBootloader), 0);
    QVERIFY(FindHidDevice(wiredPathFragment(11)));
}

// A restart request whose write failed was only logged: the update went on
// (and could report success). It ends the run as a failure now, without the
// waits for a boot loader; a mouse that restarted all the same is found in
// its boot loader by the next run.
void TestFwUpdate::failedRestartRequestFailsTheUpdate()
{
    FlashRig r;
    r.link.write = [](const QByteArray &report, bool &deliver) {
        deliver = true; // it went out, but the write reported an error
        return !(report.size() > 1 && quint8(report[0]) == 0xBA && quint8(report[1]) == familya::kCmdEnterBootloader);
    };
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    const QString path = r.file(QStringLiteral("Nuc123.bin"), firmware(300));
    r.flasher.slotUpdate(path);
    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 0);
    QVERIFY(r.clock.totalSleptMs() < FwUpdate::kRestartWaitMs);

    // Later, the user tries again.
    r.clock.advance(FwUpdate::kRestartWaitMs);
    r.link.write = nullptr;
    r.flasher.slotUpdate(path);
    QCOMPARE(result.count(), 2);
    QCOMPARE(result.last().at(0).toInt(), 1);
    QCOMPARE(r.scene.mouse->flashedImage(), firmware(300));
}

// A run packet that could not be written leaves the mouse in its boot
// loader: that is a failed update, not a success. The image stays there,
// and a retry starts from the boot loader.
void TestFwUpdate::failedRunPacketFailsTheUpdate()
{
    FlashRig r;
    r.link.write = [](const QByteArray &report, bool &deliver) {
        const bool run = report.size() > 4 && familya::readLe32(report, 1) == familya::kIspCmdRun;
        deliver = !run;
        return !run;
    };
    QSignalSpy result(&r.flasher, &FwUpdate::sigUpdateResult);
    const QString path = r.file(QStringLiteral("Nuc123.bin"), firmware(500));
    r.flasher.slotUpdate(path);
    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toInt(), 0);
    std::shared_ptr<NucIspBootloader> boot = r.bootloader();
    QVERIFY(boot);
    QVERIFY(!boot->hasRun());
    QCOMPARE(boot->programImage(), firmware(500));
    QVERIFY(FindHidDevice(hidPathFragment(VID_KORVAN, PID_BOOTLOADER)));

    r.link.write = nullptr;
    r.flasher.slotUpdate(path);
    QCOMPARE(result.count(), 2);
    QCOMPARE(result.last().at(0).toInt(), 1);
    QVERIFY(boot->hasRun());
}

void TestFwUpdate::runsOnItsOwnThread()
{
    FlashRig r;
    const QString path = r.file(QStringLiteral("Nuc123.bin"), firmware(2000));
    auto *flasher = new FwUpdate;
    flasher->SetDevicePaths(r.flasher.MousePath(), r.flasher.BootPath());
    QPointer<QThread> worker = new QThread;
    flasher->moveToThread(worker);
    worker->start();
    int outcome = -1;
    connect(flasher, &FwUpdate::sigUpdateResult, this, [&outcome](int v) { outcome = v; }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(flasher, "slotUpdate", Qt::QueuedConnection, Q_ARG(QString, path));
    QTRY_COMPARE_WITH_TIMEOUT(outcome, 1, 10000);
    delete flasher; // stops and deletes its thread
    QVERIFY(worker.isNull());
}

void TestFwUpdate::deletedOnItsCreatorsThread()
{
    QThread *mine = QThread::currentThread();
    auto *flasher = new FwUpdate;
    delete flasher; // must neither wait for nor delete this thread
    QCOMPARE(QThread::currentThread(), mine);
    QVERIFY(mine->isRunning() || mine == QCoreApplication::instance()->thread());
}

QTEST_GUILESS_MAIN(TestFwUpdate)
#include "tst_fwupdate.moc"
