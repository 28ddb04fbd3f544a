// ox8ctl: the command-line face of OX8Driver. It drives the same data
// coordinator, managers and drivers as the application, on the real HID bus
// or on an emulated mouse whose memory lives in a state file. The tool itself
// is the ox8_ctl library, which its test links too.

#include "tools/ox8ctl/tool.h"

#include "device/devicetypes.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    qInstallMessageHandler(ox8ctl::messageHandler);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ox8ctl"));
    registerDeviceMetaTypes();
    return ox8ctl::run(QCoreApplication::arguments().mid(1));
}
