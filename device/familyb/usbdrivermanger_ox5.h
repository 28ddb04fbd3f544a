#pragma once

#include "device/familyb/usbdrivermanger_ox6.h"

// Manager of protocol family C (OX5): family B's, with the CPI stages coded
// through the 61-entry table of the model and a default CPI stage of its own.
class UsbDriverManger_OX5 : public UsbDriverManger_OX6
{
    Q_OBJECT

public:
    explicit UsbDriverManger_OX5(QObject *parent = nullptr);

    DWORD buildDPIValue(quint8 low, quint8 high) override;
    familyb::CpiCode SetCPIStageMatrix(int modelType, DWORD cpi) override;
    int returnDefaultDPIGear() override;
};
