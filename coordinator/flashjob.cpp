#include "coordinator/flashjob.h"

#include "device/familya/fwupdate.h"
#include "discovery/models.h"
#include "platform/hidbus.h"

#include <QDebug>
#include <QThread>

namespace {

// Type code of a family A model given by its folder name ("ox7", "OX7EU").
int familyATypeForName(const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    for (const ModelIdentity &model : modelTable()) {
        if (model.family == ProtocolFamily::A && QLatin1String(model.folder) == wanted)
            return model.mouseType;
    }
    return NoModel;
}

} // namespace

FlashJob::FlashJob(QObject *parent)
    : QObject(parent)
{
}

FlashJob::~FlashJob()
{
    stop();
}

bool FlashJob::countAttempt()
{
    ++m_attempts;
    qDebug() << "UpdateTimes" << m_attempts;
    return m_attempts < kAttemptLimit;
}

bool FlashJob::start(const QString &path, const QString &modelName)
{
    const int type = familyATypeForName(modelName);
    if (type == NoModel) {
        qDebug() << "FirmwareUpdate no family A model named" << modelName;
        return false;
    }
    m_flasher = new FwUpdate;
    m_flasher->SetDevicePaths(wiredPathFragment(type), hidPathFragment(VID_KORVAN, PID_BOOTLOADER));
    m_flasher->SetProgramMemorySize(modelRow(type).programMemory);
    m_flasherThread = new QThread;
    m_flasher->moveToThread(m_flasherThread);
    const auto q = Qt::QueuedConnection;
    connect(this, &FlashJob::sig_Update, m_flasher, &FwUpdate::slotUpdate, q);
    connect(m_flasher, &FwUpdate::sigPercent, this, &FlashJob::onPercent, q);
    connect(m_flasher, &FwUpdate::sigUpdateResult, this, &FlashJob::sig_result, q);
    m_flasherThread->start();
    emit sig_Update(path);
    return true;
}

void FlashJob::onPercent(int percent)
{
    qDebug() << "updateFirmwareOX7 percent" << percent;
    emit sig_percent(percent);
}

void FlashJob::stop()
{
    if (!m_flasher)
        return;
    disconnect(this, &FlashJob::sig_Update, m_flasher, nullptr);
    disconnect(m_flasher, nullptr, this, nullptr);
    // Let the run finish before the flasher goes; its destructor then
    // deletes the stopped thread.
    m_flasherThread->quit();
    m_flasherThread->wait();
    delete m_flasher;
    m_flasher = nullptr;
    m_flasherThread = nullptr;
}
