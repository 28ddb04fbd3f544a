#pragma once

#include "device/familyb/usbdriver_ox6.h"

// Transport of protocol family C: family B's, except that the device's
// profile carries no checksum, so every profile passes and keeps its bytes.
class USBDriver_OX5 : public USBDriver_OX6
{
    Q_OBJECT

public:
    explicit USBDriver_OX5(QObject *parent = nullptr);

protected:
    bool checkProfileChecksum(QByteArray &p) override;
};
