#include "device/devicetypes.h"

void registerDeviceMetaTypes()
{
    qRegisterMetaType<QMap<int, QList<int>>>("QMap<int,QList<int> >");
    qRegisterMetaType<QList<COLORREF>>("QList<COLORREF>");
    qRegisterMetaType<LightColorParam>("LightColorParam");
    qRegisterMetaType<USHORT>("USHORT");
    qRegisterMetaType<DWORD>("DWORD");
    qRegisterMetaType<QList<DWORD>>("QList<DWORD>");
}
