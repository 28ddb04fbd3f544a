#pragma once

#include "sim/emulatedhidbus.h"

#include <QString>
#include <QStringList>

#include <memory>

class EmulatedDevice;
class FamilyAMouse;
class FamilyBMouse;

// A whole emulated desk for the demo mode and the command-line tool: one
// emulated mouse of a model (family A on its cable or behind its receiver,
// family B or C on its cable) on an emulated HID bus, optionally with USB
// latency, and optionally keeping the mouse's memory in a state file so that
// successive runs see earlier changes.
//
// Model names are the model folder names ("ox7", "ox6", "ox5", "ox8", …),
// with ":receiver" for a family A model reached through its receiver
// ("ox7:receiver"; for the OX4 its wireless id).
class Simulation
{
public:
    Simulation();
    ~Simulation();
    Simulation(const Simulation &) = delete;
    Simulation &operator=(const Simulation &) = delete;

    // Splits a model name. False (with a message in error) for an unknown
    // model or a receiver asked for a model that has none.
    static bool parseModel(const QString &model, int &mouseType, bool &throughReceiver,
                           QString *error = nullptr);
    // Every model name parseModel accepts, in type-code order.
    static QStringList supportedModels();
    // The canonical model name of a type code ("ox7", "ox7:receiver").
    static QString modelSpec(int mouseType, bool throughReceiver);
    // APP/Simulation/<model>[-receiver].state
    static QString defaultStatePath(int mouseType, bool throughReceiver);

    // Plugs a factory-fresh mouse of the model. False for an unknown model name.
    bool setUp(const QString &model, QString *error = nullptr);
    bool setUp(int mouseType, bool throughReceiver, QString *error = nullptr);
    bool isValid() const { return m_mouseType != 0; }

    // USB latency per transfer, on every device of the desk.
    void setLatencyMs(int ms);

    // The mouse's memory from or into a state file. A missing file is no
    // error for loading (the mouse stays factory-fresh); a damaged or
    // foreign one is refused and leaves the mouse as it is.
    bool loadState(const QString &path, QString *error = nullptr);
    bool saveState(const QString &path, QString *error = nullptr) const;

    // Makes the bus the process-wide one (hidBus()); undone by the destructor.
    void install();

    EmulatedHidBus &bus() { return m_bus; }
    int mouseType() const { return m_mouseType; }
    bool throughReceiver() const { return m_throughReceiver; }
    QString modelName() const { return modelSpec(m_mouseType, m_throughReceiver); }
    std::shared_ptr<FamilyAMouse> familyAMouse() const { return m_familyA; }
    std::shared_ptr<FamilyBMouse> familyBMouse() const { return m_familyB; }

private:
    EmulatedHidBus m_bus;
    int m_mouseType = 0;
    bool m_throughReceiver = false;
    bool m_installed = false;
    std::shared_ptr<FamilyAMouse> m_familyA;
    std::shared_ptr<FamilyBMouse> m_familyB;
    std::shared_ptr<EmulatedDevice> m_receiver;
};
