#include "sim/simulation.h"

#include "platform/appdir.h"
#include "platform/lockfile.h"
#include "sim/familya/familyascene.h"
#include "sim/familyb/familybmouse.h"
#include "sim/statefile.h"
#include "discovery/models.h"
#include "platform/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace {

const QString kReceiverSuffix = QStringLiteral(":receiver");

// The model's folder name ("ox7eu").
QString folderOf(const ModelIdentity &model)
{
    return QString::fromLatin1(model.folder);
}

bool isEmulated(const ModelIdentity &model)
{
    return model.family == ProtocolFamily::A || FamilyBMouse::supportsType(model.mouseType);
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

Simulation::Simulation() = default;

Simulation::~Simulation()
{
    if (m_installed)
        setHidBus(nullptr);
}

bool Simulation::parseModel(const QString &model, int &mouseType, bool &throughReceiver, QString *error)
{
    QString name = model.trimmed().toLower();
    bool receiver = false;
    if (name.endsWith(kReceiverSuffix)) {
        receiver = true;
        name.chop(kReceiverSuffix.size());
    }
    for (const ModelIdentity &model : modelTable()) {
        if (folderOf(model) != name || !isEmulated(model))
            continue;
        if (receiver && model.wirelessPid == 0) {
            setError(error, QStringLiteral("model %1 has no receiver").arg(name));
            return false;
        }
        mouseType = model.mouseType;
        throughReceiver = receiver;
        return true;
    }
    setError(error, QStringLiteral("unknown model \"%1\" (known: %2)")
                        .arg(model, supportedModels().join(QStringLiteral(", "))));
    return false;
}

QStringList Simulation::supportedModels()
{
    QStringList out;
    for (const ModelIdentity &model : modelTable()) {
        if (!isEmulated(model))
            continue;
        out << folderOf(model);
        if (model.wirelessPid != 0)
            out << folderOf(model) + kReceiverSuffix;
    }
    return out;
}

QString Simulation::modelArgument(int mouseType, bool throughReceiver)
{
    const ModelIdentity *model = modelForType(mouseType);
    if (!model)
        return QString();
    return folderOf(*model) + (throughReceiver ? kReceiverSuffix : QString());
}

QString Simulation::defaultStatePath(int mouseType, bool throughReceiver)
{
    const ModelIdentity *model = modelForType(mouseType);
    const QString name = model ? folderOf(*model) : QStringLiteral("unknown");
    return appDirectory() + QStringLiteral("/Simulation/") + name
           + (throughReceiver ? QStringLiteral("-receiver") : QString()) + QStringLiteral(".state");
}

bool Simulation::setUp(const QString &model, QString *error)
{
    int type = 0;
    bool receiver = false;
    if (!parseModel(model, type, receiver, error))
        return false;
    return setUp(type, receiver, error);
}

bool Simulation::setUp(int mouseType, bool throughReceiver, QString *error)
{
    if (isValid()) {
        setError(error, QStringLiteral("the simulation is already set up"));
        return false;
    }
    if (isFamilyA(mouseType)) {
        FamilyAScene scene = plugFamilyA(m_bus, mouseType, throughReceiver);
        if (!scene.isValid()) {
            setError(error, QStringLiteral("no emulator for type %1").arg(mouseType));
            return false;
        }
        m_familyA = scene.mouse;
        m_receiver = scene.receiver;
    } else if (!throughReceiver) {
        m_familyB = plugFamilyB(m_bus, mouseType);
        if (!m_familyB) {
            setError(error, QStringLiteral("no emulator for type %1").arg(mouseType));
            return false;
        }
    } else {
        setError(error, QStringLiteral("type %1 has no receiver").arg(mouseType));
        return false;
    }
    m_mouseType = mouseType;
    m_throughReceiver = throughReceiver;
    return true;
}

void Simulation::setLatencyMs(int ms)
{
    if (m_familyA)
        m_familyA->setLatencyMs(ms);
    if (m_familyB)
        m_familyB->setLatencyMs(ms);
    if (m_receiver)
        m_receiver->setLatencyMs(ms);
}

QByteArray Simulation::fingerprint(const QString &path)
{
    if (fileKind(path) == FileKind::Missing)
        return QByteArray();
    // Larger than any state; the hash only has to tell contents apart.
    constexpr qint64 kMaxStateBytes = 64 * 1024 * 1024;
    QByteArray bytes;
    const ReadResult read = readRegularFile(path, kMaxStateBytes, bytes);
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1) + char('0' + int(read));
}

namespace {

// The lock of a state file (path + ".lock"); nullptr when another program
// kept it for timeoutMs. A holder that died holds nothing.
std::unique_ptr<QLockFile> takeStateLock(const QString &path, int timeoutMs, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString lockPath = path + QStringLiteral(".lock");
    auto lock = std::make_unique<QLockFile>(lockPath);
    lock->setStaleLockTime(0);
    if (!lockTakingOverTheDead(*lock, lockPath, timeoutMs)) {
        setError(error, QStringLiteral("state file %1 is in use by another program").arg(path));
        return nullptr;
    }
    return lock;
}

} // namespace

std::unique_ptr<QLockFile> Simulation::lockFor(const QString &path, QString *error)
{
    if (m_stateLock && m_lockedPath == path)
        return nullptr;
    return takeStateLock(path, kStateLockWaitMs, error);
}

bool Simulation::lockState(const QString &path, int timeoutMs, QString *error)
{
    if (m_stateLock && m_lockedPath == path)
        return true;
    unlockState();
    std::unique_ptr<QLockFile> lock = takeStateLock(path, timeoutMs, error);
    if (!lock)
        return false;
    m_stateLock = std::move(lock);
    m_lockedPath = path;
    return true;
}

void Simulation::unlockState()
{
    m_stateLock.reset();
    m_lockedPath.clear();
}

bool Simulation::loadState(const QString &path, QString *error)
{
    if (!isValid()) {
        setError(error, QStringLiteral("no emulated mouse"));
        return false;
    }
    const bool held = m_stateLock && m_lockedPath == path;
    const std::unique_ptr<QLockFile> moment = lockFor(path, error);
    if (!held && !moment)
        return false;
    m_knownPath = path;
    m_knownFingerprint = fingerprint(path);
    m_refusedPath.clear();
    if (fileKind(path) == FileKind::Missing)
        return true;
    const bool ok = m_familyA ? m_familyA->loadStateFromFile(path) : m_familyB->loadStateFromFile(path);
    if (!ok) {
        // The file is kept as it is: nothing of this run may replace it.
        m_refusedPath = path;
        setError(error, QStringLiteral("state file %1 is damaged or of another model").arg(path));
    }
    return ok;
}

bool Simulation::saveState(const QString &path, QString *error)
{
    if (!isValid()) {
        setError(error, QStringLiteral("no emulated mouse"));
        return false;
    }
    const bool held = m_stateLock && m_lockedPath == path;
    const std::unique_ptr<QLockFile> moment = lockFor(path, error);
    if (!held && !moment)
        return false;
    if (path == m_refusedPath) {
        setError(error, QStringLiteral("state file %1 is damaged or of another model; it is kept").arg(path));
        return false;
    }
    if (path == m_knownPath && fingerprint(path) != m_knownFingerprint) {
        setError(error, QStringLiteral("state file %1 was changed by another program; its changes are kept").arg(path));
        return false;
    }
    const bool ok = m_familyA ? m_familyA->saveStateToFile(path) : m_familyB->saveStateToFile(path);
    if (!ok) {
        setError(error, QStringLiteral("cannot write state file %1").arg(path));
        return false;
    }
    m_knownPath = path;
    m_knownFingerprint = fingerprint(path);
    return true;
}

void Simulation::install()
{
    setHidBus(&m_bus);
    m_installed = true;
}
