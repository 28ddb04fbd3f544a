#pragma once

#include "platform/hidbus.h"

#include <QString>

#include <memory>

// The Linux HID bus over the kernel's hidraw nodes.

// A hidraw bus over the given roots ("/sys" and "/dev" on a real system;
// tests point them at a prepared folder).
std::unique_ptr<HidBus> createHidrawBus(const QString &sysRoot, const QString &devRoot);

// A device over an already open file descriptor, which it then owns.
// numberedInputReports says whether reads deliver the id byte themselves.
// The bus opens its devices through this; tests hand it a socket pair.
std::unique_ptr<HidDevice> createHidrawDevice(int fd, bool numberedInputReports);
