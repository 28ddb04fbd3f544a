#pragma once

#include "platform/hidbus.h"

#include <QByteArray>
#include <QList>
#include <QVector>

#include <memory>

// A HID bus whose interfaces answer from a script: every transfer is
// recorded, get-feature answers come from a queue per interface, and a
// transfer can be made to fail. Lets a test see the exact bytes a driver
// sends and feed it any answer, well-formed or not.
class ScriptedHidBus final : public HidBus
{
public:
    struct Transfer
    {
        enum Kind { SetFeature, GetFeature, Write, GetInput } kind;
        QString path;
        QByteArray bytes; // what was sent, or the buffer handed in
    };

    struct Interface
    {
        HidDeviceInfo info;
        QList<QByteArray> answers; // get feature / get input, in order
        bool refuseOpen = false;
        int failSetsAfter = -1; // set-feature n + 1 and later fail
        int sets = 0;
    };

    Interface &add(const HidDeviceInfo &info)
    {
        auto i = std::make_shared<Interface>();
        i->info = info;
        if (i->info.path.isEmpty())
            i->info.path = QStringLiteral("scripted:%1").arg(m_interfaces.size());
        m_interfaces.append(i);
        return *i;
    }

    Interface &interfaceAt(int i) { return *m_interfaces[i]; }

    QVector<HidDeviceInfo> enumerate() override
    {
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
                ++m_opened;
                return std::make_unique<Handle>(this, i);
            }
        }
        return nullptr;
    }

    QList<Transfer> transfers;
    int openCount() const { return m_opened; }

    QList<Transfer> transfersOf(Transfer::Kind kind) const
    {
        QList<Transfer> out;
        for (const Transfer &t : transfers)
            if (t.kind == kind)
                out.append(t);
        return out;
    }

private:
    class Handle final : public HidDevice
    {
    public:
        Handle(ScriptedHidBus *bus, std::shared_ptr<Interface> i) : m_bus(bus), m_if(std::move(i)) {}

        bool write(const QByteArray &report) override
        {
            m_bus->transfers.append({Transfer::Write, m_if->info.path, report});
            return true;
        }
        int read(QByteArray &, int) override { return -1; }
        bool getInputReport(QByteArray &report) override { return answer(Transfer::GetInput, report); }
        bool setFeature(const QByteArray &report) override
        {
            m_bus->transfers.append({Transfer::SetFeature, m_if->info.path, report});
            if (m_if->failSetsAfter >= 0 && m_if->sets++ >= m_if->failSetsAfter) {
                m_error = 32; // EPIPE
                return false;
            }
            return true;
        }
        bool getFeature(QByteArray &report) override { return answer(Transfer::GetFeature, report); }
        int lastError() const override { return m_error; }

    private:
        bool answer(Transfer::Kind kind, QByteArray &report)
        {
            m_bus->transfers.append({kind, m_if->info.path, report});
            if (m_if->answers.isEmpty()) {
                m_error = 110; // ETIMEDOUT
                return false;
            }
            report = m_if->answers.takeFirst();
            return true;
        }

        ScriptedHidBus *m_bus;
        std::shared_ptr<Interface> m_if;
        int m_error = 0;
    };

    QVector<std::shared_ptr<Interface>> m_interfaces;
    int m_opened = 0;
};
