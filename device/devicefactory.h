#pragma once

#include "discovery/models.h"

#include <QByteArray>
#include <QString>

#include <memory>

class KorvanUSBDriver;
class USBDriverManger;
class USBDriverOX7;
class UsbDriverMangerOX7;

// The driver and manager pair that speaks to one model. The manager uses
// the driver but does not own it: destroy the manager first (the member
// order does that when the pair itself goes).
struct DevicePair
{
    std::unique_ptr<KorvanUSBDriver> driver;
    std::unique_ptr<USBDriverManger> manager;
    // The family A driver when the id is a receiver (or wireless) id: the
    // one that takes the pairing commands. nullptr otherwise.
    USBDriverOX7 *receiver = nullptr;
    ProtocolFamily family = ProtocolFamily::None;
    int mouseType = 0;
    bool wireless = false;

    bool isValid() const { return manager != nullptr; }
};

// Builds the pair for a product id, not yet opened; an unknown id (or a
// boot loader's) gives an empty pair. Both objects are created on the
// calling thread, which then owns them.
DevicePair createDevicePair(quint16 productId);

// The family A manager for a driver the caller keeps: gives the driver its
// two device-path match strings and its connection mode (1 through the
// receiver, 0 by cable) and attaches it to a new manager for the model.
std::unique_ptr<UsbDriverMangerOX7> createFamilyAManager(USBDriverOX7 *driver, int mouseType,
                                                         const QString &wirelessPath, const QString &wiredPath,
                                                         bool wireless);

// Whether a profile's settings block (a Korvan record for family A, a Halden
// file block for families B and C) holds only values the model can work
// with; false with the reason otherwise, and for a code without a family.
bool checkProfileBlock(int mouseType, const QByteArray &block, QString *why = nullptr);
