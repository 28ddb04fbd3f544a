#pragma once

#include "platform/hidbus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A parser for HID report descriptors and the small text formats hidraw's
// sysfs entries use; the bus built on them is in hidbus_linux.h.
//
// The parsing functions are pure: bytes in, values out, no I/O and no
// logging. Everything they read comes from a device and is treated as
// hostile: indices are checked, counts and nesting are bounded, and a
// malformed input gives false with a reason instead of a partial result.
// Like the kernel, the report descriptor parser skips or cuts single
// quirky items that cannot change a report length (reversed or
// page-spanning usage ranges) and counts main items outside any
// collection in their report; it says so in warnings for the caller to log.

enum class HidReportType { Input = 0, Output = 1, Feature = 2 };

// Bounds the parser enforces. The kernel's own limits are lower for most of
// them, so no working device comes near.
constexpr int HID_DESCRIPTOR_MAX_BYTES = 65536;
constexpr int HID_GLOBAL_STACK_MAX = 16;
constexpr int HID_COLLECTION_DEPTH_MAX = 32;
constexpr int HID_LOCAL_USAGES_MAX = 4096;
// Longest report payload (without the id byte) the parser accepts; the
// kernel's hidraw buffer is this big.
constexpr int HID_REPORT_MAX_BYTES = 16384;

// A usage or a usage range, page included. A single usage has min == max.
struct HidUsageRange
{
    quint16 page = 0;
    quint16 min = 0;
    quint16 max = 0;
};

// One Input, Output or Feature main item.
struct HidReportItem
{
    HidReportType type = HidReportType::Input;
    quint8 reportId = 0;          // 0 when the descriptor declares no ids
    quint32 flags = 0;            // the main item's data bits
    quint32 reportSize = 0;       // bits per field
    quint32 reportCount = 0;
    quint32 bitOffset = 0;        // from the start of the report data (after the id byte)
    QVector<HidUsageRange> usages;

    bool isConstant() const { return flags & 0x01; }
    bool isVariable() const { return flags & 0x02; }
    // Buttons are arrays and one-bit variables; everything else is a value.
    bool isButton() const { return !isVariable() || reportSize == 1; }
};

// One report of a collection: its id and its payload length.
struct HidReportLength
{
    quint8 reportId = 0;
    quint32 bits = 0;
    int byteLength() const { return int((bits + 7) / 8); }
};

// A top-level collection with every item nested inside it.
struct HidTopCollection
{
    quint8 collectionType = 0; // 1 = application
    quint16 usagePage = 0;
    quint16 usage = 0;
    QVector<HidReportItem> items;
    QVector<HidReportLength> reports[3]; // indexed by HidReportType, in order of first use

    const QVector<HidReportLength> &reportsOf(HidReportType type) const
    {
        return reports[int(type)];
    }
    // The longest report of the type counted with its id byte, which is
    // there (as 0) even without ids; 0 when the collection has none.
    int reportByteLength(HidReportType type) const;
    // One entry per usage (or range, by its first usage) of every non-constant
    // value item of the type.
    QVector<HidValueCap> valueCaps(HidReportType type) const;
};

struct HidDescriptor
{
    QVector<HidTopCollection> collections;

    // Whether reports of the type carry an id byte on the wire: true as soon
    // as any report of that type has a nonzero id.
    bool hasReportIds(HidReportType type) const;
};

// Parses a report descriptor. On failure returns false, leaves out empty and
// puts a short reason into error (when given). warnings (when given)
// receives one line per item skipped or cut, empty for a clean descriptor.
bool parseHidReportDescriptor(const QByteArray &descriptor, HidDescriptor &out,
                              QString *error = nullptr, QStringList *warnings = nullptr);

// What a HID device's sysfs "uevent" says about it.
struct HidUevent
{
    quint32 bus = 0; // 3 = USB, 5 = Bluetooth
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString name;
};

// Reads HID_ID ("0003:000033F9:00000102", hex) and HID_NAME. False when
// HID_ID is missing or malformed or an id does not fit 16 bits.
bool parseHidUevent(const QByteArray &uevent, HidUevent &out);

// A USB "bcdDevice" attribute ("0102\n", hex). False when it is not 1..4
// hex digits.
bool parseBcdDevice(const QByteArray &text, quint16 &out);

// Paths of the hidraw bus: "<devRoot>/hidrawN" names the first top-level
// collection of node N, "<devRoot>/hidrawN#K" the collection K (K >= 1) of
// the same node. Every collection of a node opens the same character device.
QString hidrawPath(const QString &devRoot, int node, int collection);
// Splits such a path; false for anything else (another folder, a name that
// is not hidrawN, a bad or zero suffix).
bool splitHidrawPath(const QString &devRoot, const QString &path, int &node, int &collection);
