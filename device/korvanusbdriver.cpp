#include "device/korvanusbdriver.h"

KorvanUSBDriver::KorvanUSBDriver(QObject *parent)
    : QObject(parent)
{
}

KorvanUSBDriver::~KorvanUSBDriver() = default;

void KorvanUSBDriver::UnInitDevice() {}
void KorvanUSBDriver::SetDeviceId(quint16, quint16) {}
int KorvanUSBDriver::WriteMacroList(const QList<int> &) { return 1; }
int KorvanUSBDriver::WriteMacroBlock(const QByteArray &) { return 1; }
int KorvanUSBDriver::ReadMacroBlock(QByteArray &) { return 1; }
int KorvanUSBDriver::ReadProfileImage(QByteArray &) { return 1; }
int KorvanUSBDriver::WriteProfileImage(const QByteArray &) { return 1; }
int KorvanUSBDriver::SetCurrentProfile(quint8) { return 1; }
int KorvanUSBDriver::GetCurrentProfile(quint8 &) { return 1; }
int KorvanUSBDriver::GetFirmwareVersion(quint32 &) { return 1; }
int KorvanUSBDriver::PassThrough(int, int) { return 1; }
int KorvanUSBDriver::ReadWorkMode() { return 1; }
int KorvanUSBDriver::EnterBootloader() { return 1; }
int KorvanUSBDriver::ReadStatusWord(quint16 &) { return 1; }
int KorvanUSBDriver::ReadStatusDword(quint32 &) { return 1; }
int KorvanUSBDriver::SendByteCommand(quint8) { return 1; }
int KorvanUSBDriver::QuickStatusRead(quint16 &) { return 1; }
int KorvanUSBDriver::ReadMemory(QByteArray &, int, int) { return 1; }
int KorvanUSBDriver::WriteMemory(const QByteArray &, int) { return 1; }
int KorvanUSBDriver::ReadMemoryAt(QByteArray &, int, int, int) { return 1; }
int KorvanUSBDriver::WriteMemoryAt(const QByteArray &, int, int) { return 1; }
int KorvanUSBDriver::ReadButton(int, quint32 &, int) { return 1; }
int KorvanUSBDriver::WriteButton(int, quint32, int) { return 1; }
void KorvanUSBDriver::SetWiredWirelessString(const QString &, const QString &) {}
