#include "device/familyb/usbdrivermanger_ox5.h"

#include <QDebug>

using namespace familyb;

UsbDriverManger_OX5::UsbDriverManger_OX5(QObject *parent)
    : UsbDriverManger_OX6(parent)
{
    qDebug() << "UsbDriverManger_OX5";
    setModelType(13);
}

DWORD UsbDriverManger_OX5::buildDPIValue(quint8 low, quint8)
{
    const int cpi = cpiTableValue(familyCCpiTable(), low);
    qDebug().noquote() << QString::asprintf("buildDPIValue %x", cpi);
    return DWORD(cpi);
}

CpiCode UsbDriverManger_OX5::SetCPIStageMatrix(int, DWORD cpi)
{
    CpiCode code;
    if (cpi > 0 && cpi <= 0xFFFFFF)
        code.low = quint8(cpiTableCode(familyCCpiTable(), int(cpi)));
    return code;
}

int UsbDriverManger_OX5::returnDefaultDPIGear()
{
    const int gear = 2;
    qDebug() << "UsbDriverManger_OX5::returnDefaultDPIGear" << gear;
    return gear;
}
