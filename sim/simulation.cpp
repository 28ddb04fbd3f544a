#include "sim/simulation.h"

#include "platform/appdir.h"
#include "sim/familya/familyascene.h"
#include "sim/familyb/familybmouse.h"
#include "discovery/models.h"

#include <QDir>
#include <QFileInfo>

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

QString Simulation::modelSpec(int mouseType, bool throughReceiver)
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

bool Simulation::loadState(const QString &path, QString *error)
{
    if (!isValid()) {
        setError(error, QStringLiteral("no emulated mouse"));
        return false;
    }
    if (!QFileInfo::exists(path))
        return true;
    const bool ok = m_familyA ? m_familyA->loadStateFromFile(path) : m_familyB->loadStateFromFile(path);
    if (!ok)
        setError(error, QStringLiteral("state file %1 is damaged or of another model").arg(path));
    return ok;
}

bool Simulation::saveState(const QString &path, QString *error) const
{
    if (!isValid()) {
        setError(error, QStringLiteral("no emulated mouse"));
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = m_familyA ? m_familyA->saveStateToFile(path) : m_familyB->saveStateToFile(path);
    if (!ok)
        setError(error, QStringLiteral("cannot write state file %1").arg(path));
    return ok;
}

void Simulation::install()
{
    setHidBus(&m_bus);
    m_installed = true;
}
