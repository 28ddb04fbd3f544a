#include "platform/hiddescriptor.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace {

// Item types of the short item prefix.
constexpr int ItemMain = 0;
constexpr int ItemGlobal = 1;
constexpr int ItemLocal = 2;

constexpr quint8 LongItemPrefix = 0xFE;

// Main item tags.
constexpr int TagInput = 0x8;
constexpr int TagOutput = 0x9;
constexpr int TagFeature = 0xB;
constexpr int TagCollection = 0xA;
constexpr int TagEndCollection = 0xC;

// Global item tags.
constexpr int TagUsagePage = 0x0;
constexpr int TagReportSize = 0x7;
constexpr int TagReportId = 0x8;
constexpr int TagReportCount = 0x9;
constexpr int TagPush = 0xA;
constexpr int TagPop = 0xB;

// Local item tags.
constexpr int TagUsage = 0x0;
constexpr int TagUsageMinimum = 0x1;
constexpr int TagUsageMaximum = 0x2;

struct GlobalState
{
    quint32 usagePage = 0;
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint8 reportId = 0;
};

// A usage as the local item gave it. Four-byte usages carry their own page
// in the high half; shorter ones take the page in force at the main item.
struct LocalUsage
{
    quint32 min = 0;
    quint32 max = 0;
    bool minExtended = false;
    bool maxExtended = false;
};

struct LocalState
{
    QVector<LocalUsage> usages;
    bool haveMin = false;
    bool haveMax = false;
    quint32 min = 0;
    quint32 max = 0;
    bool minExtended = false;
    bool maxExtended = false;

    void clear() { *this = LocalState(); }
};

class Parser
{
public:
    explicit Parser(const QByteArray &bytes) : m_bytes(bytes) {}

    bool run(HidDescriptor &out);
    const QString &error() const { return m_error; }
    const QStringList &warnings() const { return m_warnings; }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }
    // An item skipped or clamped; the rest of the descriptor stands.
    void warn(const QString &what)
    {
        if (m_warnings.size() < MaxWarnings)
            m_warnings.append(what + QStringLiteral(" (item at %1)").arg(m_itemAt));
    }
    bool global(int tag, quint32 value, int size);
    bool local(int tag, quint32 value, int size);
    bool main(int tag, quint32 value);
    bool addLocalUsage(const LocalUsage &u);
    bool flushPendingRange();
    bool flushLoneBound();
    bool resolveUsages(QVector<HidUsageRange> &out);
    bool addReportItem(HidReportType type, quint32 flags);
    bool addOutsideItem(const HidReportItem &item);
    bool addBits(HidReportLength &report, HidReportItem &item);

    static constexpr int MaxWarnings = 64;

    const QByteArray &m_bytes;
    QString m_error;
    QStringList m_warnings;
    int m_itemAt = 0;
    // Bits that main items outside any collection put into a report no
    // collection has used yet, by type and id (type * 256 + id).
    QHash<int, quint32> m_outsideBits;
    GlobalState m_global;
    QVector<GlobalState> m_stack;
    LocalState m_local;
    int m_depth = 0;
    QVector<HidTopCollection> m_collections;
};

bool Parser::run(HidDescriptor &out)
{
    if (m_bytes.size() > HID_DESCRIPTOR_MAX_BYTES)
        return fail(QStringLiteral("descriptor longer than %1 bytes").arg(HID_DESCRIPTOR_MAX_BYTES));

    const auto *data = reinterpret_cast<const quint8 *>(m_bytes.constData());
    const int size = m_bytes.size();
    int pos = 0;
    while (pos < size) {
        const quint8 prefix = data[pos];
        if (prefix == LongItemPrefix) {
            // Long items have no defined meaning; skip them whole.
            if (size - pos < 3)
                return fail(QStringLiteral("truncated long item at %1").arg(pos));
            const int dataSize = data[pos + 1];
            if (size - pos - 3 < dataSize)
                return fail(QStringLiteral("truncated long item at %1").arg(pos));
            pos += 3 + dataSize;
            continue;
        }
        const int sizeCode = prefix & 0x03;
        const int dataSize = sizeCode == 3 ? 4 : sizeCode;
        const int type = (prefix >> 2) & 0x03;
        const int tag = prefix >> 4;
        if (size - pos - 1 < dataSize)
            return fail(QStringLiteral("truncated item at %1").arg(pos));
        quint32 value = 0;
        for (int i = 0; i < dataSize; ++i)
            value |= quint32(data[pos + 1 + i]) << (8 * i);
        const int at = pos;
        m_itemAt = at;
        pos += 1 + dataSize;

        bool ok = true;
        switch (type) {
        case ItemMain: ok = main(tag, value); break;
        case ItemGlobal: ok = global(tag, value, dataSize); break;
        case ItemLocal: ok = local(tag, value, dataSize); break;
        default: break; // reserved item type: ignored
        }
        if (!ok)
            return fail(m_error + QStringLiteral(" (item at %1)").arg(at));
    }
    if (m_depth != 0)
        return fail(QStringLiteral("collection not closed"));
    out.collections = m_collections;
    return true;
}

bool Parser::global(int tag, quint32 value, int)
{
    switch (tag) {
    case TagUsagePage:
        if (value > 0xFFFF)
            return fail(QStringLiteral("usage page out of range"));
        m_global.usagePage = value;
        break;
    case TagReportSize:
        m_global.reportSize = value;
        break;
    case TagReportCount:
        m_global.reportCount = value;
        break;
    case TagReportId:
        if (value == 0 || value > 0xFF)
            return fail(QStringLiteral("report id %1 out of range").arg(value));
        m_global.reportId = quint8(value);
        break;
    case TagPush:
        if (m_stack.size() >= HID_GLOBAL_STACK_MAX)
            return fail(QStringLiteral("push stack too deep"));
        m_stack.append(m_global);
        break;
    case TagPop:
        if (m_stack.isEmpty())
            return fail(QStringLiteral("pop without push"));
        m_global = m_stack.takeLast();
        break;
    default:
        break; // logical/physical ranges and units do not change the layout
    }
    return true;
}

bool Parser::addLocalUsage(const LocalUsage &u)
{
    if (m_local.usages.size() >= HID_LOCAL_USAGES_MAX)
        return fail(QStringLiteral("too many usages"));
    m_local.usages.append(u);
    return true;
}

// A minimum and a maximum form a range in whichever order they came.
bool Parser::flushPendingRange()
{
    if (!(m_local.haveMin && m_local.haveMax))
        return true;
    LocalUsage u;
    u.min = m_local.min;
    u.max = m_local.max;
    u.minExtended = m_local.minExtended;
    u.maxExtended = m_local.maxExtended;
    m_local.haveMin = m_local.haveMax = false;
    return addLocalUsage(u);
}

// A bound repeated before its partner arrived stands for one usage.
bool Parser::flushLoneBound()
{
    LocalUsage u;
    if (m_local.haveMin) {
        u.min = u.max = m_local.min;
        u.minExtended = u.maxExtended = m_local.minExtended;
    } else if (m_local.haveMax) {
        u.min = u.max = m_local.max;
        u.minExtended = u.maxExtended = m_local.maxExtended;
    } else {
        return true;
    }
    m_local.haveMin = m_local.haveMax = false;
    return addLocalUsage(u);
}

bool Parser::local(int tag, quint32 value, int size)
{
    const bool extended = size == 4;
    switch (tag) {
    case TagUsage: {
        LocalUsage u;
        u.min = u.max = value;
        u.minExtended = u.maxExtended = extended;
        return addLocalUsage(u);
    }
    case TagUsageMinimum:
        if (m_local.haveMin && !flushLoneBound())
            return false;
        m_local.haveMin = true;
        m_local.min = value;
        m_local.minExtended = extended;
        return flushPendingRange();
    case TagUsageMaximum:
        if (m_local.haveMax && !flushLoneBound())
            return false;
        m_local.haveMax = true;
        m_local.max = value;
        m_local.maxExtended = extended;
        return flushPendingRange();
    default:
        return true; // designators, strings and delimiters carry no layout
    }
}

// Usage ranges the kernel would not build are dropped or cut, with a
// warning: usages name fields and collections but never change a length.
bool Parser::resolveUsages(QVector<HidUsageRange> &out)
{
    if (!flushLoneBound())
        return false;
    out.clear();
    out.reserve(m_local.usages.size());
    for (const LocalUsage &u : qAsConst(m_local.usages)) {
        quint32 page = m_global.usagePage;
        if (u.minExtended)
            page = u.min >> 16;
        else if (u.maxExtended)
            page = u.max >> 16;
        HidUsageRange r;
        r.page = quint16(page);
        r.min = quint16(u.min & 0xFFFF);
        r.max = quint16(u.max & 0xFFFF);
        if (u.minExtended && u.maxExtended && (u.min >> 16) != (u.max >> 16)) {
            warn(QStringLiteral("usage range spans two pages; cut at the end of page %1").arg(page, 0, 16));
            r.max = 0xFFFF;
        }
        if (r.max < r.min) {
            warn(QStringLiteral("usage maximum below minimum; range skipped"));
            continue;
        }
        out.append(r);
    }
    return true;
}

// Places the item's bits at the end of its report. Lengths that would not
// fit the report buffer are an error, not a warning.
bool Parser::addBits(HidReportLength &report, HidReportItem &item)
{
    // 64-bit so that absurd sizes and counts cannot wrap.
    const quint64 bits = quint64(item.reportSize) * quint64(item.reportCount);
    const quint64 total = quint64(report.bits) + bits;
    if (total > quint64(HID_REPORT_MAX_BYTES) * 8)
        return fail(QStringLiteral("report %1 longer than %2 bytes")
                        .arg(item.reportId)
                        .arg(HID_REPORT_MAX_BYTES));
    item.bitOffset = report.bits;
    report.bits = quint32(total);
    return true;
}

// The kernel takes a main item outside any collection and counts it in
// the report of its type and id like any other: after the fields already
// there, before those still to come. No collection lists the item itself.
bool Parser::addOutsideItem(const HidReportItem &outside)
{
    HidReportItem item = outside;
    for (int i = m_collections.size() - 1; i >= 0; --i) {
        for (HidReportLength &r : m_collections[i].reports[int(item.type)]) {
            if (r.reportId != item.reportId)
                continue;
            warn(QStringLiteral("main item outside a collection; counted in report %1 of collection %2")
                     .arg(item.reportId)
                     .arg(i));
            return addBits(r, item);
        }
    }
    const int key = int(item.type) * 256 + item.reportId;
    HidReportLength pending{item.reportId, m_outsideBits.value(key)};
    if (!addBits(pending, item))
        return false;
    m_outsideBits.insert(key, pending.bits);
    warn(QStringLiteral("main item outside a collection; counted in report %1 when a collection uses it")
             .arg(item.reportId));
    return true;
}

bool Parser::addReportItem(HidReportType type, quint32 flags)
{
    HidReportItem item;
    item.type = type;
    item.reportId = m_global.reportId;
    item.flags = flags;
    item.reportSize = m_global.reportSize;
    item.reportCount = m_global.reportCount;
    if (!resolveUsages(item.usages))
        return false;
    m_local.clear();
    if (m_depth == 0)
        return addOutsideItem(item);

    HidTopCollection &top = m_collections.last();
    QVector<HidReportLength> &reports = top.reports[int(type)];
    HidReportLength *report = nullptr;
    for (HidReportLength &r : reports)
        if (r.reportId == item.reportId)
            report = &r;
    if (!report) {
        // Fields that items outside any collection put first.
        reports.append(HidReportLength{item.reportId, m_outsideBits.take(int(type) * 256 + item.reportId)});
        report = &reports.last();
    }
    if (!addBits(*report, item))
        return false;
    top.items.append(item);
    return true;
}

bool Parser::main(int tag, quint32 value)
{
    switch (tag) {
    case TagInput: return addReportItem(HidReportType::Input, value);
    case TagOutput: return addReportItem(HidReportType::Output, value);
    case TagFeature: return addReportItem(HidReportType::Feature, value);
    case TagCollection: {
        if (m_depth >= HID_COLLECTION_DEPTH_MAX)
            return fail(QStringLiteral("collections nested too deep"));
        QVector<HidUsageRange> usages;
        if (!resolveUsages(usages))
            return false;
        m_local.clear();
        if (m_depth == 0) {
            HidTopCollection top;
            top.collectionType = quint8(value & 0xFF);
            if (!usages.isEmpty()) {
                top.usagePage = usages.first().page;
                top.usage = usages.first().min;
            }
            m_collections.append(top);
        }
        ++m_depth;
        return true;
    }
    case TagEndCollection:
        if (m_depth == 0)
            return fail(QStringLiteral("end of a collection never opened"));
        --m_depth;
        m_local.clear();
        return true;
    default:
        m_local.clear();
        return true; // reserved main tags: ignored
    }
}

} // namespace

int HidTopCollection::reportByteLength(HidReportType type) const
{
    const QVector<HidReportLength> &list = reportsOf(type);
    if (list.isEmpty())
        return 0;
    int longest = 0;
    for (const HidReportLength &r : list)
        longest = qMax(longest, r.byteLength());
    return longest + 1;
}

QVector<HidValueCap> HidTopCollection::valueCaps(HidReportType type) const
{
    QVector<HidValueCap> caps;
    for (const HidReportItem &item : items) {
        if (item.type != type || item.isConstant() || item.isButton())
            continue;
        for (const HidUsageRange &u : item.usages)
            caps.append(HidValueCap{item.reportId, u.page, u.min});
    }
    return caps;
}

bool HidDescriptor::hasReportIds(HidReportType type) const
{
    for (const HidTopCollection &c : collections)
        for (const HidReportLength &r : c.reportsOf(type))
            if (r.reportId != 0)
                return true;
    return false;
}

bool parseHidReportDescriptor(const QByteArray &descriptor, HidDescriptor &out, QString *error,
                              QStringList *warnings)
{
    out = HidDescriptor();
    Parser parser(descriptor);
    HidDescriptor result;
    if (warnings)
        warnings->clear();
    if (!parser.run(result)) {
        if (error)
            *error = parser.error();
        return false;
    }
    out = result;
    if (error)
        error->clear();
    if (warnings)
        *warnings = parser.warnings();
    return true;
}

namespace {

// 1..maxDigits hex digits, nothing else.
bool parseHexField(const QByteArray &text, int maxDigits, quint32 &out)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    quint32 v = 0;
    for (const char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = (v << 4) | quint32(d);
    }
    out = v;
    return true;
}

// The longest HID_NAME kept; the kernel's own buffer is 128 bytes.
constexpr int MaxHidNameChars = 256;

} // namespace

bool parseHidUevent(const QByteArray &uevent, HidUevent &out)
{
    out = HidUevent();
    HidUevent result;
    bool haveId = false;
    for (const QByteArray &rawLine : uevent.split('\n')) {
        const QByteArray line = rawLine.endsWith('\r') ? rawLine.left(rawLine.size() - 1) : rawLine;
        if (line.startsWith("HID_ID=")) {
            const QList<QByteArray> parts = line.mid(7).split(':');
            if (parts.size() != 3)
                return false;
            quint32 bus, vendor, product;
            if (!parseHexField(parts[0], 8, bus) || !parseHexField(parts[1], 8, vendor)
                || !parseHexField(parts[2], 8, product))
                return false;
            if (vendor > 0xFFFF || product > 0xFFFF)
                return false;
            result.bus = bus;
            result.vendorId = quint16(vendor);
            result.productId = quint16(product);
            haveId = true;
        } else if (line.startsWith("HID_NAME=")) {
            result.name = QString::fromUtf8(line.mid(9)).left(MaxHidNameChars).trimmed();
        }
    }
    if (!haveId)
        return false;
    out = result;
    return true;
}

bool parseBcdDevice(const QByteArray &text, quint16 &out)
{
    quint32 v;
    if (!parseHexField(text.trimmed(), 4, v))
        return false;
    out = quint16(v);
    return true;
}

namespace {
QString cleanRoot(const QString &root)
{
    QString r = QDir::cleanPath(root);
    if (r.endsWith(QLatin1Char('/')))
        r.chop(1); // "/" becomes "", so paths below it read "/hidraw0"
    return r;
}
} // namespace

QString hidrawPath(const QString &devRoot, int node, int collection)
{
    QString path = cleanRoot(devRoot) + QStringLiteral("/hidraw") + QString::number(node);
    if (collection > 0)
        path += QLatin1Char('#') + QString::number(collection);
    return path;
}

bool splitHidrawPath(const QString &devRoot, const QString &path, int &node, int &collection)
{
    const QString prefix = cleanRoot(devRoot) + QLatin1Char('/');
    if (!path.startsWith(prefix))
        return false;
    // No leading zeros and no "#0", so each interface has exactly one path.
    static const QRegularExpression name(QRegularExpression::anchoredPattern(
        QStringLiteral("hidraw(0|[1-9][0-9]{0,5})(?:#([1-9][0-9]{0,2}))?")));
    const QRegularExpressionMatch m = name.match(path.mid(prefix.size()));
    if (!m.hasMatch())
        return false;
    node = m.captured(1).toInt();
    collection = m.capturedLength(2) ? m.captured(2).toInt() : 0;
    return true;
}
