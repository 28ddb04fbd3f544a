// Page transfers of USBDriverOX7: macro pages and OLED pictures, whole pages
// of the mouse's memory moved through ReadEEPROM and WriteEEPROM.
#include "device/familya/usbdriverox7.h"

#include <QDebug>

using namespace familya;

// --- Macro pages --------------------------------------------------------------------

int USBDriverOX7::macroPageAddressChecked(int index, MacroKind kind, quint32 &address)
{
    if (index < 0 || index >= kMacroPageIndexes) {
        qDebug("TotalSize = 0x%x", index);
        return 0;
    }
    address = macroPageAddress(index, kind);
    return 1;
}

int USBDriverOX7::WriteMacro(int index, MacroKind kind, const QVector<quint32> &events, quint16 mode,
                             QByteArray *pageOut)
{
    quint32 address = 0;
    if (!macroPageAddressChecked(index, kind, address))
        return 0;
    for (quint32 e : events)
        qDebug("%x", e >> 24);
    QByteArray page;
    MacroError error = MacroError::None;
    int failed = -1;
    if (!encodeMacroPage(events, mode, page, &error, &failed)) {
        qDebug("StandardToHardware = 0x%x", failed >= 0 && failed < events.size() ? events[failed] : 0u);
        return 0;
    }
    if (!WriteMacroPage(index, kind, page))
        return 0;
    if (pageOut)
        *pageOut = page;
    return 1;
}

int USBDriverOX7::WriteMacroPage(int index, MacroKind kind, const QByteArray &page)
{
    quint32 address = 0;
    if (!macroPageAddressChecked(index, kind, address))
        return 0;
    if (!isValidMacroPageLength(page.size()) || readLe16(page, 0) != page.size())
        return 0;
    qDebug("macro addr:%0x %d %d", address, int(kind), index);
    return WriteEEPROM(address, page);
}

int USBDriverOX7::ReadMacroPage(int index, MacroKind kind, QByteArray &buffer)
{
    quint32 address = 0;
    if (!macroPageAddressChecked(index, kind, address))
        return 0;
    QByteArray header;
    if (!ReadEEPROM(address, 4, header))
        return 0;
    const quint16 length = readLe16(header, 0);
    qDebug("LEN %0x", length);
    QByteArray result(kMacroPageSize, '\0');
    if (length >= 1 && length <= kMacroPageSize) {
        QByteArray bytes;
        if (!ReadEEPROM(address, length, bytes))
            return 0;
        std::copy(bytes.cbegin(), bytes.cend(), result.begin());
    }
    buffer = result;
    return 1;
}

int USBDriverOX7::IsMacroPageFree(int index, MacroKind kind, bool &isFree)
{
    quint32 address = 0;
    if (!macroPageAddressChecked(index, kind, address))
        return 0;
    QByteArray bytes;
    if (!ReadEEPROM(address, 2, bytes))
        return 0;
    isFree = isMacroPageFree(readLe16(bytes, 0));
    return 1;
}

// --- OLED pictures -------------------------------------------------------------------

int USBDriverOX7::WritePicture(int n, const QByteArray &data)
{
    if (n < 0 || n >= kOledPictureCount || data.size() != kOledBytes)
        return 0;
    const quint32 address = oledPictureAddress(n);
    qDebug() << "read picture addr " << QString::number(address, 16);
    return WriteEEPROM(address, data);
}

int USBDriverOX7::ReadPicture(int n, QByteArray &data)
{
    if (n < 0 || n >= kOledPictureCount)
        return 0;
    const quint32 address = oledPictureAddress(n);
    qDebug() << "read picture addr " << QString::number(address, 16);
    return ReadEEPROM(address, kOledBytes, data);
}

bool USBDriverOX7::ImageToByteArr(const QImage &image, QByteArray &out, int imageDataLen)
{
    qDebug() << "ImageToByteArr image.byteCount()  imageDataLen" << image.size() << image.sizeInBytes()
             << imageDataLen;
    QString error;
    if (!familya::ImageToByteArr(image, out, imageDataLen, &error)) {
        qDebug().noquote() << error;
        return false;
    }
    return true;
}
