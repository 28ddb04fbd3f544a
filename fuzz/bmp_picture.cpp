// Picture files for the OLED screen: the header check, the bounded reader,
// and the packing into device bytes that follows a successful read.
#include "fuzz/common/fuzzsupport.h"

#include "device/familya/usbdriverox7.h"
#include "device/oledpicturefile.h"

#include <QImage>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    // Small limits keep one input cheap; the checks are the same.
    PictureFileLimits limits;
    limits.maxSide = 1024;
    limits.maxPixels = 256 * 1024;
    (void)bmpProblem(bytes, limits);
    const QString path = fuzzScratchPath(QStringLiteral("picture.bmp"));
    if (!putFuzzFile(path, bytes))
        return 0;
    QString error;
    const QImage image = readPictureFile(path, &error, limits);
    if (image.isNull())
        return 0;
    const QImage screen = toOledPictureSize(image);
    if (screen.width() != kOledPictureWidth || screen.height() != kOledPictureHeight)
        __builtin_trap();
    QByteArray packed;
    (void)USBDriverOX7::ImageToByteArr(screen, packed, kOledPictureWidth * kOledPictureHeight / 8);
    return 0;
}
