#pragma once

#include "platform/clock.h"
#include "platform/hidbus.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

// One interface of a ScriptedHidBus: what the host sent to it, and the
// answers it will give, including broken ones.
struct ScriptedInterface
{
    HidDeviceInfo info;

    QVector<QByteArray> writes;  // output reports in order
    int inputReportRequests = 0; // getInputReport calls

    // Answers to getInputReport and getFeature (wire form, id byte first),
    // used before the responder; an empty entry makes that request fail.
    QList<QByteArray> answers;
    // Answers once the queue is empty, from the last report written; an
    // empty result makes the request fail. Unset: every request fails.
    std::function<QByteArray(const QByteArray &lastWrite)> responder;

    // read() answers (interrupt IN); nothing left = the time-out passes.
    QList<QByteArray> reads;
    std::function<QByteArray(const QByteArray &lastWrite)> readResponder;

    bool refuseOpen = false;
    bool failWrites = false;
    int failSetsAfter = -1; // set-feature n + 1 and later fail; -1 never
    int sets = 0;           // set-features counted while failSetsAfter is armed
    int lastError = 0;

    QByteArray lastWrite() const { return writes.isEmpty() ? QByteArray() : writes.last(); }
};

// A HID bus whose interfaces answer from a script: tests see every transfer
// the host made, in order and per interface, and decide every answer byte.
// Serves both families' drivers, the flasher and the HID library role.
class ScriptedHidBus final : public HidBus
{
public:
    struct Transfer
    {
        enum Kind { SetFeature, GetFeature, Write, GetInput } kind;
        QString path;
        QByteArray bytes; // what was sent, or the buffer handed in
    };

    std::shared_ptr<ScriptedInterface> add(const HidDeviceInfo &info)
    {
        auto i = std::make_shared<ScriptedInterface>();
        i->info = info;
        if (i->info.path.isEmpty())
            i->info.path = QStringLiteral("scripted:%1").arg(m_interfaces.size());
        m_interfaces.push_back(i);
        return i;
    }
    std::shared_ptr<ScriptedInterface> add(quint16 vid, quint16 pid, quint16 usagePage, quint16 usage)
    {
        HidDeviceInfo info;
        info.vendorId = vid;
        info.productId = pid;
        info.usagePage = usagePage;
        info.usage = usage;
        return add(info);
    }
    ScriptedInterface &interfaceAt(int i) { return *m_interfaces.at(size_t(i)); }
    void removeAll() { m_interfaces.clear(); }

    // Every transfer on every interface, in order.
    QList<Transfer> transfers;
    int enumerations = 0;
    int opens = 0;

    QList<Transfer> transfersOf(Transfer::Kind kind) const
    {
        QList<Transfer> out;
        for (const Transfer &t : transfers)
            if (t.kind == kind)
                out.append(t);
        return out;
    }

    QVector<HidDeviceInfo> enumerate() override
    {
        ++enumerations;
        QVector<HidDeviceInfo> out;
        for (const auto &i : m_interfaces)
            out.append(i->info);
        return out;
    }

    std::unique_ptr<HidDevice> open(const QString &path) override
    {
        for (const auto &i : m_interfaces) {
            if (i->info.path == path) {
                if (i->refuseOpen)
                    return nullptr;
                ++opens;
                return std::make_unique<Handle>(this, i);
            }
        }
        return nullptr;
    }

private:
    class Handle final : public HidDevice
    {
    public:
        Handle(ScriptedHidBus *bus, std::shared_ptr<ScriptedInterface> i)
            : m_bus(bus)
            , m_i(std::move(i))
        {
        }
        bool write(const QByteArray &report) override
        {
            record(Transfer::Write, report);
            m_i->writes.append(report);
            if (m_i->failWrites) {
                m_i->lastError = 5; // EIO
                return false;
            }
            return true;
        }
        int read(QByteArray &report, int timeoutMs) override
        {
            const QByteArray next = nextOf(m_i->reads, m_i->readResponder);
            if (next.isEmpty()) {
                deviceClock().sleepMs(timeoutMs);
                return 0;
            }
            report = next;
            return report.size();
        }
        bool getInputReport(QByteArray &report) override
        {
            ++m_i->inputReportRequests;
            return answer(Transfer::GetInput, report);
        }
        bool setFeature(const QByteArray &report) override
        {
            record(Transfer::SetFeature, report);
            if (m_i->failSetsAfter >= 0 && m_i->sets++ >= m_i->failSetsAfter) {
                m_i->lastError = 32; // EPIPE
                return false;
            }
            return true;
        }
        bool getFeature(QByteArray &report) override { return answer(Transfer::GetFeature, report); }
        int lastError() const override { return m_i->lastError; }

    private:
        // The next scripted answer: from the queue, else from the responder.
        QByteArray nextOf(QList<QByteArray> &queue,
                          const std::function<QByteArray(const QByteArray &)> &responder) const
        {
            if (!queue.isEmpty())
                return queue.takeFirst();
            return responder ? responder(m_i->lastWrite()) : QByteArray();
        }
        void record(Transfer::Kind kind, const QByteArray &bytes)
        {
            m_bus->transfers.append({kind, m_i->info.path, bytes});
        }
        bool answer(Transfer::Kind kind, QByteArray &report)
        {
            record(kind, report);
            const QByteArray next = nextOf(m_i->answers, m_i->responder);
            if (next.isEmpty()) {
                m_i->lastError = 110; // ETIMEDOUT
                return false;
            }
            report = next;
            return true;
        }

        ScriptedHidBus *m_bus;
        std::shared_ptr<ScriptedInterface> m_i;
    };

    std::vector<std::shared_ptr<ScriptedInterface>> m_interfaces;
};

// Installs a scripted bus and a virtual clock for the lifetime of a test.
class ScriptedScene
{
public:
    ScriptedScene()
        : m_clockScope(&clock)
    {
        setHidBus(&bus);
    }
    ~ScriptedScene() { setHidBus(nullptr); }

    VirtualClock clock;
    ScriptedHidBus bus;

private:
    ScopedDeviceClock m_clockScope;
};

// A family A answer on the wire: id 0xBA, status, result bytes, zeros to 32.
inline QByteArray familyAAnswer(quint8 status, const QByteArray &result = QByteArray(), int length = 32)
{
    QByteArray a(1, char(0xBA));
    a.append(char(status));
    a.append(result);
    if (a.size() < length)
        a.append(QByteArray(length - a.size(), '\0'));
    return a;
}
