#pragma once

#include "sim/emulatedhidbus.h"

#include <QString>
#include <QStringList>

#include <memory>

class EmulatedDevice;
class QLockFile;
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
    static QString modelArgument(int mouseType, bool throughReceiver);
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
    // foreign one is refused and leaves the mouse (and the file) as it is.
    // Saving refuses to overwrite a file that another program changed since
    // this one loaded or last saved it: its changes are newer than ours.
    // Both take the file's lock for the moment they need it, unless it is
    // held already (lockState).
    bool loadState(const QString &path, QString *error = nullptr);
    bool saveState(const QString &path, QString *error = nullptr);

    // Holds the state file's lock (path + ".lock") until unlockState or the
    // end of the simulation, so that a whole load, use and save is one step
    // for every other program that uses the file. Waits up to timeoutMs for
    // another holder; a holder that died is no holder.
    bool lockState(const QString &path, int timeoutMs, QString *error = nullptr);
    void unlockState();
    static constexpr int kStateLockWaitMs = 60000;

    // Makes the bus the process-wide one (hidBus()); undone by the destructor.
    void install();

    EmulatedHidBus &bus() { return m_bus; }
    int mouseType() const { return m_mouseType; }
    bool throughReceiver() const { return m_throughReceiver; }
    QString modelName() const { return modelArgument(m_mouseType, m_throughReceiver); }
    std::shared_ptr<FamilyAMouse> familyAMouse() const { return m_familyA; }
    std::shared_ptr<FamilyBMouse> familyBMouse() const { return m_familyB; }

private:
    // Locks path's lock file for a moment when not held already; the lock
    // taken (to release) or nullptr.
    std::unique_ptr<QLockFile> lockFor(const QString &path, QString *error);
    // What the file holds now: a hash of its bytes, or empty when missing.
    static QByteArray fingerprint(const QString &path);

    EmulatedHidBus m_bus;
    std::unique_ptr<QLockFile> m_stateLock;
    QString m_lockedPath;
    QString m_knownPath;
    QByteArray m_knownFingerprint; // of m_knownPath as last loaded or saved
    QString m_refusedPath;         // a state file loading refused: never overwritten
    int m_mouseType = 0;
    bool m_throughReceiver = false;
    bool m_installed = false;
    std::shared_ptr<FamilyAMouse> m_familyA;
    std::shared_ptr<FamilyBMouse> m_familyB;
    std::shared_ptr<EmulatedDevice> m_receiver;
};
