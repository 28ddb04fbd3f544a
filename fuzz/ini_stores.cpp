// Every INI store: the first byte picks the file (account and key-function
// settings in system.ini, pointer.ini, NoLongerRemind.ini,
// HighestFunction.ini, service.ini), the rest is its text; then each store's
// readers and one write over what was there.
#include "fuzz/common/fuzzsupport.h"

#include "config/inistores.h"
#include "config/servicesettings.h"
#include "platform/pointersettings.h"

#include <QDir>
#include <QFileInfo>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const int which = in.byte() % 5;
    const QByteArray text = in.rest();
    clearFuzzAppDirectory();
    QString path;
    switch (which) {
    case 0: path = systemIniPath(); break;
    case 1: path = pointerSettingsIniPath(); break;
    case 2: path = noLongerRemindIniPath(); break;
    case 3: path = highestFunctionIniPath(); break;
    default: path = serviceIniPath(); break;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!putFuzzFile(path, text))
        return 0;

    switch (which) {
    case 0: {
        OperateToken token;
        (void)token.GetToken();
        (void)token.GetEmail();
        (void)token.GetNickName();
        OpFunConfFile functions;
        (void)functions.GetMidKeyVal();
        (void)functions.GetMidWheelVal();
        (void)functions.GetSideDownkeyVal();
        (void)functions.GetSideUpkeyVal();
        (void)functions.GetSideWheel();
        OpConfPath paths;
        (void)paths.GetMidWebUrl();
        (void)paths.GetMidFilePath();
        (void)paths.GetMidFloderPath();
        (void)paths.GetMidAppPath();
        (void)paths.GetSliderUpWebUrl();
        (void)paths.GetSliderDownAppPath();
        token.SetNickName(QStringLiteral("nick"));
        (void)token.GetNickName();
        break;
    }
    case 1: {
        PointerSettings pointer(path);
        const int speed = pointer.mouseSpeed();
        const int lines = pointer.wheelScrollLines();
        if (speed < 1 || speed > 20 || lines == 0 || lines < -1 || lines > 100)
            __builtin_trap();
        break;
    }
    case 2:
        (void)readNotRemind();
        writeNotRemind(1);
        break;
    case 3:
        for (int button = 0; button < 20; ++button) {
            int function = 0;
            QString target;
            (void)readHighestFunction(button, function, target);
        }
        break;
    default:
        (void)configuredServiceUrl();
        (void)serviceBaseUrl();
        break;
    }
    return 0;
}
