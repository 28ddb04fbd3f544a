#include "device/devicetypes.h"

#include "platform/safefile.h"

namespace {
// Far more than any 64 x 48 picture file; a larger file is not ours.
constexpr qint64 kMaxPictureFileSize = 16 * 1024 * 1024;
} // namespace

void registerDeviceMetaTypes()
{
    qRegisterMetaType<QMap<int, QList<int>>>("QMap<int,QList<int> >");
    qRegisterMetaType<QList<COLORREF>>("QList<COLORREF>");
    qRegisterMetaType<LightColorParam>("LightColorParam");
    qRegisterMetaType<USHORT>("USHORT");
    qRegisterMetaType<DWORD>("DWORD");
    qRegisterMetaType<QList<DWORD>>("QList<DWORD>");
}

QImage readPictureFile(const QString &path)
{
    QByteArray bytes;
    if (readRegularFile(path, kMaxPictureFileSize, bytes) != ReadResult::Ok)
        return QImage();
    return QImage::fromData(bytes);
}
