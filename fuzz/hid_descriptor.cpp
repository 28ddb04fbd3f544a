// Report descriptors and the sysfs texts of hidraw nodes, as a device or the
// kernel hands them over: the first byte picks the parser.
#include "fuzz/common/fuzzsupport.h"

#include "platform/hiddescriptor.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    initFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const quint8 which = in.byte();
    const QByteArray bytes = in.rest();
    switch (which % 4) {
    case 0:
    case 1: {
        HidDescriptor d;
        QString error;
        QStringList warnings;
        if (parseHidReportDescriptor(bytes, d, &error, &warnings)) {
            // What the bus asks of a parsed descriptor for every interface.
            for (const HidTopCollection &c : d.collections) {
                for (HidReportType t : {HidReportType::Input, HidReportType::Output, HidReportType::Feature}) {
                    (void)c.reportByteLength(t);
                    (void)c.valueCaps(t);
                    (void)d.hasReportIds(t);
                }
            }
        }
        break;
    }
    case 2: {
        HidUevent u;
        (void)parseHidUevent(bytes, u);
        break;
    }
    default: {
        quint16 bcd = 0;
        (void)parseBcdDevice(bytes, bcd);
        int node = 0;
        int collection = 0;
        (void)splitHidrawPath(QStringLiteral("/dev"), QString::fromUtf8(bytes), node, collection);
        break;
    }
    }
    return 0;
}
