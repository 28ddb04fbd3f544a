#include "device/familyb/usbdriver_ox5.h"

USBDriver_OX5::USBDriver_OX5(QObject *parent)
    : USBDriver_OX6(parent)
{
    setModelType(13);
}

bool USBDriver_OX5::checkProfileChecksum(QByteArray &)
{
    return true;
}
