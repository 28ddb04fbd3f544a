#include "sim/familya/emulatedfirmware.h"

namespace EmulatedFirmware {

namespace {
// Where makeImage puts the tag: past what a vector table would fill.
constexpr int kTagOffset = 256;
} // namespace

QByteArray makeImage(quint32 version, int size)
{
    size = qMax(size, kTaggedSize);
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 31 + i / 251 + 7) & 0xFF);
    const int at = size >= kTagOffset + kTaggedSize ? kTagOffset : 0;
    for (int i = 0; i < kVersionTagSize; ++i)
        image[at + i] = kVersionTag[i];
    for (int i = 0; i < 4; ++i)
        image[at + kVersionTagSize + i] = char((version >> (8 * i)) & 0xFF);
    return image;
}

bool versionOf(const QByteArray &image, quint32 &version)
{
    const int at = image.indexOf(QByteArray(kVersionTag, kVersionTagSize));
    if (at < 0 || at + kTaggedSize > image.size())
        return false;
    version = 0;
    for (int i = 0; i < 4; ++i)
        version |= quint32(quint8(image.at(at + kVersionTagSize + i))) << (8 * i);
    return true;
}

} // namespace EmulatedFirmware
