#pragma once

#include <QByteArray>
#include <QtGlobal>

// Firmware images for the emulated family A mice. A real image says its
// version only by running; an emulated mouse cannot run one, so the images
// made for it carry the version in a tag that the emulated boot loader looks
// for when it starts the new firmware: the 8 bytes "OX8FWVER" followed by the
// version, 32-bit little-endian, anywhere in the image (the first tag
// counts). Any other image leaves the version as it was.
namespace EmulatedFirmware {

constexpr char kVersionTag[] = "OX8FWVER";
constexpr int kVersionTagSize = 8;
constexpr int kTaggedSize = kVersionTagSize + 4;

// An image of size bytes (at least kTaggedSize) with a made-up body and the
// version tag after the first 256 bytes (or at the start of a shorter one).
QByteArray makeImage(quint32 version, int size);

// The version an image's tag names; false when it has none.
bool versionOf(const QByteArray &image, quint32 &version);

} // namespace EmulatedFirmware
