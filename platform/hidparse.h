#pragma once

#include "platform/hidbus.h"

#include <QString>

#include <memory>

// The maker's HID library role: the three entry points family A and the
// firmware flasher were built around, implemented on hidBus().
//
//   OpenHidDevice  (usage page, usage, "VID_xxxx&PID_xxxx") -> open handle
//   GetInputReport (handle, buffer, length)                 -> status at byte 0
//   FindHidDevice  ("VID_xxxx&PID_xxxx")                    -> present or not
//
// The handle is the bus's HidDevice; WriteFile becomes HidDevice::write and
// CloseHandle the end of the unique_ptr.

// Opens the first interface whose ids match the path fragment and whose
// top-level collection has the given usage page and usage. A usage page of 0
// matches any page, a usage of 0 any usage. nullptr when nothing matches.
std::unique_ptr<HidDevice> OpenHidDevice(quint16 usagePage, quint16 usage, const QString &pathFragment);

// Asks the device for the input report whose id is buffer[0] (0xBA for
// family A). On success the answer without its id byte is placed in buffer:
// byte 0 = the device's first data byte (the status of the last command),
// byte k = data byte k; an answer shorter than length is padded with zeros,
// a longer one is cut. Returns nonzero on success; 0 when the transfer failed
// (the handle's lastError() says why), when the answer carries another report
// id, or when the arguments are unusable. Never touches buffer beyond length.
// answerLength (when given) receives how many of the bytes placed in buffer
// came from the device, so a caller can tell a cut-off answer from zeros.
int GetInputReport(HidDevice *handle, unsigned char *buffer, int length, int *answerLength = nullptr);

// Nonzero when an interface matching the fragment is on the bus right now.
int FindHidDevice(const QString &pathFragment);
