#pragma once

#include "platform/clock.h"
#include "platform/hidbus.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

// A HID bus whose interfaces answer from a script: tests see every report the
// host wrote and decide every answer byte, including broken ones.
struct ScriptedInterface
{
    HidDeviceInfo info;

    QVector<QByteArray> writes;   // output reports in order
    int inputReportRequests = 0;  // getInputReport calls
    bool failWrites = false;
    int lastError = 0;

    // getInputReport answers (wire form, id byte first), used before the
    // responder; an empty entry makes that request fail.
    std::deque<QByteArray> answers;
    // Answers once the queue is empty, from the last report written; an
    // empty result makes the request fail. Unset: every request fails.
    std::function<QByteArray(const QByteArray &lastWrite)> responder;

    // read() answers (interrupt IN); empty queue = time-out.
    std::deque<QByteArray> reads;
    std::function<QByteArray(const QByteArray &lastWrite)> readResponder;

    QByteArray lastWrite() const { return writes.isEmpty() ? QByteArray() : writes.last(); }
};

class ScriptedBus final : public HidBus
{
public:
    std::shared_ptr<ScriptedInterface> add(quint16 vid, quint16 pid, quint16 usagePage, quint16 usage)
    {
        auto i = std::make_shared<ScriptedInterface>();
        i->info.vendorId = vid;
        i->info.productId = pid;
        i->info.usagePage = usagePage;
        i->info.usage = usage;
        i->info.path = QStringLiteral("scripted:%1").arg(m_interfaces.size());
        m_interfaces.push_back(i);
        return i;
    }
    void removeAll() { m_interfaces.clear(); }

    int enumerations = 0;
    int opens = 0;

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
                ++opens;
                return std::make_unique<Handle>(i);
            }
        }
        return nullptr;
    }

private:
    class Handle final : public HidDevice
    {
    public:
        explicit Handle(std::shared_ptr<ScriptedInterface> i)
            : m_i(std::move(i))
        {
        }
        bool write(const QByteArray &report) override
        {
            m_i->writes.append(report);
            if (m_i->failWrites) {
                m_i->lastError = 5;
                return false;
            }
            return true;
        }
        int read(QByteArray &report, int timeoutMs) override
        {
            QByteArray next;
            if (!m_i->reads.empty()) {
                next = m_i->reads.front();
                m_i->reads.pop_front();
            } else if (m_i->readResponder) {
                next = m_i->readResponder(m_i->lastWrite());
            }
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
            QByteArray next;
            if (!m_i->answers.empty()) {
                next = m_i->answers.front();
                m_i->answers.pop_front();
            } else if (m_i->responder) {
                next = m_i->responder(m_i->lastWrite());
            }
            if (next.isEmpty()) {
                m_i->lastError = 110;
                return false;
            }
            report = next;
            return true;
        }
        bool setFeature(const QByteArray &) override { return false; }
        bool getFeature(QByteArray &) override { return false; }
        int lastError() const override { return m_i->lastError; }

    private:
        std::shared_ptr<ScriptedInterface> m_i;
    };

    std::vector<std::shared_ptr<ScriptedInterface>> m_interfaces;
};

// Installs a bus and a virtual clock for the lifetime of a test.
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
    ScriptedBus bus;

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
