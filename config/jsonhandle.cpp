#include "config/jsonhandle.h"

#include "config/jsonfile.h"
#include "config/paths.h"
#include "config/profiledefaults.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>

namespace {

// The translation table carries every language and may grow larger.
constexpr qint64 kMaxTranslateFileSize = 16 * 1024 * 1024;

// A family B device refuses macros of more than 512 entries.
constexpr int kHaldenMaxMacroEvents = 512;
constexpr int kKorvanHeaderSize = 4;
constexpr int kKorvanEventSize = 3;
// More nodes than any device macro can hold; a longer list is damage.
constexpr int kMaxMacroNodes = 8192;

quint8 lowByte(const QJsonValue &v)
{
    return quint8(v.toInt() & 0xFF);
}

int clamped(const QJsonValue &v, int lo, int hi)
{
    return std::clamp(v.toInt(), lo, hi);
}

QJsonObject blockObject(const QByteArray &block, int size)
{
    QJsonObject object;
    for (int i = 0; i < size; ++i)
        object.insert(QString::number(i), i < block.size() ? int(quint8(block.at(i))) : 0);
    return object;
}

QByteArray blockFromObject(const QJsonObject &object, int size)
{
    QByteArray block(size, '\0');
    for (int i = 0; i < size; ++i)
        block[i] = char(lowByte(object.value(QString::number(i))));
    return block;
}

quint16 le16(const QByteArray &data, int offset)
{
    if (offset < 0 || offset + 2 > data.size())
        return 0;
    return quint16(quint8(data.at(offset)) | (quint8(data.at(offset + 1)) << 8));
}

void putLe16(QByteArray &data, int offset, int value)
{
    data[offset] = char(value & 0xFF);
    data[offset + 1] = char((value >> 8) & 0xFF);
}

} // namespace

JsonHandle::JsonHandle(QObject *parent)
    : QObject(parent)
{
}

// ---------------------------------------------------------------- primitives

QByteArray JsonHandle::readFileBytes(const QString &path)
{
    return readJsonFileBytes(path);
}

bool JsonHandle::writeJsonFile(const QString &path, const QJsonObject &object)
{
    return ::writeJsonFile(path, object);
}

// ------------------------------------------------------------ Halden profile

void JsonHandle::createAOriginalMouseDataFile_Halden(QByteArray &block, int mouseType) const
{
    const QByteArray defaults = haldenDefaultBlock(mouseType);
    if (!defaults.isEmpty())
        block = defaults;
}

QByteArray JsonHandle::getMouseData_Halden(int mouseType, int profile, bool *stored)
{
    if (stored)
        *stored = true;
    qDebug() << "getMouseData_Halden" << mouseType << profile;
    QByteArray block(kHaldenBlockSize, '\0');
    createAOriginalMouseDataFile_Halden(block, mouseType);

    QJsonObject root;
    if (!readJsonRootObject(getConfigJsonFilePath(mouseType, profile), root)) {
        const bool written = setMouseData_Halden(block, mouseType, profile);
        if (stored)
            *stored = written;
        return block;
    }
    // A block member that is not an object is damage, not a block of zeros.
    if (!root.value(MouseDataOfGamingMode).isObject())
        return block;
    return blockFromObject(root.value(MouseDataOfGamingMode).toObject(), kHaldenBlockSize);
}

bool JsonHandle::setMouseData_Halden(const QByteArray &block, int mouseType, int profile)
{
    qDebug() << "setMouseData_Halden" << mouseType << profile;
    const QString path = getConfigJsonFilePath(mouseType, profile);
    QJsonObject root;
    readJsonRootObject(path, root);
    root.insert(MouseDataOfGamingMode, turnMouseDataJsonObject_Halden(block));
    return writeJsonFile(path, root);
}

QJsonObject JsonHandle::turnMouseDataJsonObject_Halden(const QByteArray &block) const
{
    return blockObject(block, kHaldenBlockSize);
}

HaldenMacroRecord JsonHandle::getMacroData_Halden(int mouseType, int profile, int position)
{
    qDebug() << "++++++++++----------" << "getMacroData_Halden" << "MacroPosition position" << position;
    HaldenMacroRecord record;

    QJsonObject root;
    if (!readJsonRootObject(getConfigJsonFilePath(mouseType, profile), root) || !root.contains(MacroDataOfGamingMode))
        return record;

    const QJsonObject macro =
        root.value(MacroDataOfGamingMode).toObject().value(QString::number(position)).toObject();
    const int repeat = clamped(macro.value(RepeatTimes), 0, 0xFFFF);
    record.repeat[0] = quint8(repeat >> 8);
    record.repeat[1] = quint8(repeat & 0xFF);

    const QJsonArray events = macro.value(Macro).toArray();
    if (events.size() % 2 != 0)
        return record;
    // Longer than the device takes: damage, and partial macros can leave a
    // key held down, so none of it is used.
    if (events.size() / 2 > kHaldenMaxMacroEvents) {
        qDebug() << "getMacroData_Halden" << "too many events" << events.size() / 2;
        return record;
    }
    record.events.reserve(events.size() / 2);
    for (int i = 0; i + 1 < events.size(); i += 2)
        record.events.append(quint16(lowByte(events.at(i)) | (lowByte(events.at(i + 1)) << 8)));
    return record;
}

bool JsonHandle::saveMacroData_Halden(const HaldenMacroRecord &record, int position, int mouseType, int profile)
{
    qDebug() << "saveMacroData_Halden" << "MacroPosition position" << position;
    const QString path = getConfigJsonFilePath(mouseType, profile);
    QJsonObject root;
    readJsonRootObject(path, root);
    QJsonObject macros = root.value(MacroDataOfGamingMode).toObject();
    macros.insert(QString::number(position), turnMacroDataToJsonObject_Halden(record));
    root.insert(MacroDataOfGamingMode, macros);
    return writeJsonFile(path, root);
}

QJsonObject JsonHandle::turnMacroDataToJsonObject_Halden(const HaldenMacroRecord &record) const
{
    QJsonArray events;
    for (quint16 word : record.events) {
        events.append(word & 0xFF);
        events.append(word >> 8);
    }
    QJsonObject object;
    object.insert(RepeatTimes, record.repeatTimes());
    object.insert(Macro, events);
    return object;
}

// ------------------------------------------------------------ Korvan profile

void JsonHandle::createAOriginalMouseDataFile_Korvan(QByteArray &block, int mouseType) const
{
    const QByteArray defaults = korvanDefaultBlock(mouseType);
    if (!defaults.isEmpty())
        block = defaults;
}

QByteArray JsonHandle::getMouseData_Korvan(int mouseType, int profile, bool *stored)
{
    if (stored)
        *stored = true;
    qDebug() << "getMouseData_Korvan" << mouseType << profile;
    QByteArray block(kKorvanBlockSize, '\0');
    createAOriginalMouseDataFile_Korvan(block, mouseType);

    QJsonObject root;
    if (!readJsonRootObject(getConfigJsonFilePath(mouseType, profile), root)) {
        const bool written = setMouseData_Korvan(block, mouseType, profile);
        if (stored)
            *stored = written;
        return block;
    }
    // A block member that is not an object is damage, not a block of zeros.
    if (!root.value(MouseDataOfGamingMode).isObject())
        return block;
    const QJsonObject data = root.value(MouseDataOfGamingMode).toObject();
    qDebug() << "getMouseData_Korvan dataObject" << data.size();
    return blockFromObject(data, kKorvanBlockSize);
}

bool JsonHandle::setMouseData_Korvan(const QByteArray &block, int mouseType, int profile)
{
    qDebug() << "setMouseData_Korvan" << mouseType << profile;
    const QString path = getConfigJsonFilePath(mouseType, profile);
    QJsonObject root;
    readJsonRootObject(path, root);
    root.insert(MouseDataOfGamingMode, turnMouseDataJsonObject_Korvan(block));
    return writeJsonFile(path, root);
}

QJsonObject JsonHandle::turnMouseDataJsonObject_Korvan(const QByteArray &block) const
{
    qDebug() << "turnMouseDataJsonObject_Korvan";
    return blockObject(block, kKorvanBlockSize);
}

QByteArray JsonHandle::getMacroData_Korvan(int mouseType, int profile, int position)
{
    qDebug() << "getMacroData_Korvan" << "MacroPosition position" << position;
    QByteArray buffer(kKorvanMacroBufferSize, '\0');

    QJsonObject root;
    if (!readJsonRootObject(getConfigJsonFilePath(mouseType, profile), root) || !root.contains(MacroDataOfGamingMode))
        return buffer;

    const QJsonObject macro =
        root.value(MacroDataOfGamingMode).toObject().value(QString::number(position)).toObject();
    const QJsonValue sizeValue = macro.value(MacroSize);
    const int size = sizeValue.toInt(-1);
    const QJsonArray events = macro.value(Macro).toArray();
    const int eventCount = events.size() / kKorvanEventSize;
    // The size field tells the device how much of the buffer to send, so it
    // must lie inside the buffer; and a macro cut short could leave a key
    // held down. Either kind of damage drops the whole macro.
    if ((!sizeValue.isUndefined() && (size < 0 || size > kKorvanMacroBufferSize))
        || eventCount > (kKorvanMacroBufferSize - kKorvanHeaderSize) / kKorvanEventSize) {
        qDebug() << "getMacroData_Korvan" << "macro does not fit its buffer, size" << sizeValue.toInt()
                 << "events" << eventCount;
        return buffer;
    }
    putLe16(buffer, 0, std::max(size, 0));
    putLe16(buffer, 2, clamped(macro.value(RepeatTimes), 0, 0xFFFF));
    for (int k = 0; k < eventCount; ++k) {
        const int at = kKorvanHeaderSize + kKorvanEventSize * k;
        for (int j = 0; j < kKorvanEventSize; ++j)
            buffer[at + j] = char(lowByte(events.at(kKorvanEventSize * k + j)));
    }
    return buffer;
}

bool JsonHandle::saveMacroData_Korvan(const QByteArray &record, int position, int mouseType, int profile)
{
    qDebug() << "saveMacroData_Korvan" << "MacroPosition position" << position;
    const QString path = getConfigJsonFilePath(mouseType, profile);
    QJsonObject root;
    readJsonRootObject(path, root);
    QJsonObject macros = root.value(MacroDataOfGamingMode).toObject();
    macros.insert(QString::number(position), turnMacroDataToJsonObject_Korvan(record));
    root.insert(MacroDataOfGamingMode, macros);
    return writeJsonFile(path, root);
}

QJsonObject JsonHandle::turnMacroDataToJsonObject_Korvan(const QByteArray &record) const
{
    qDebug() << "turnMacroDataToJsonObject_Korvan";
    if (record.size() < kKorvanHeaderSize)
        return QJsonObject();
    const int size = le16(record, 0);
    if ((size - kKorvanHeaderSize) % kKorvanEventSize != 0)
        return QJsonObject();
    // A size beyond the record would read past it.
    if (size > record.size()) {
        qDebug() << "turnMacroDataToJsonObject_Korvan" << "size beyond record" << size << record.size();
        return QJsonObject();
    }
    QJsonArray events;
    const int count = (size - kKorvanHeaderSize) / kKorvanEventSize;
    for (int k = 0; k < count; ++k) {
        const int at = kKorvanHeaderSize + kKorvanEventSize * k;
        events.append(int(quint8(record.at(at))));
        events.append(int(quint8(record.at(at + 1))));
        events.append(int(quint8(record.at(at + 2))));
    }
    QJsonObject object;
    object.insert(MacroSize, size);
    object.insert(RepeatTimes, int(le16(record, 2)));
    object.insert(Macro, events);
    return object;
}

// --------------------------------------------------------------- macro files

namespace {
// A member of a macro file's root object; undefined when unreadable.
QJsonValue macroFileMember(const QString &path, const QString &key)
{
    QJsonObject root;
    if (!readJsonRootObject(path, root))
        return QJsonValue(QJsonValue::Undefined);
    return root.value(key);
}
} // namespace

QString JsonHandle::getMacroName(const QString &path)
{
    const QJsonValue name = macroFileMember(path, Name);
    return name.isString() ? name.toString() : QStringLiteral("ErrorName");
}

int JsonHandle::getMacroType(const QString &path)
{
    return macroFileMember(path, MacroType).toInt();
}

int JsonHandle::getMacroLength(const QString &path)
{
    return clamped(macroFileMember(path, MacroLength), 0, 0xFFFF);
}

int JsonHandle::getMacroRepeatTimes(const QString &path)
{
    return clamped(macroFileMember(path, RepeatTimes), 0, 0xFFFF);
}

int JsonHandle::getIgnoreDelayTime(const QString &path)
{
    return macroFileMember(path, IgnoreDelayTime).toInt();
}

int JsonHandle::getMacroCount(const QString &path)
{
    const int count = macroFileMember(path, Macro).toArray().size();
    return count > kMaxMacroNodes ? 0 : count;
}

QList<MacroNode> JsonHandle::readMacroNodeList(const QString &path)
{
    QList<MacroNode> nodes;
    QJsonObject root;
    if (!readJsonRootObject(path, root) || !root.contains(Macro))
        return nodes;
    const QJsonValue macro = root.value(Macro);
    if (!macro.isArray()) {
        qDebug() << "isn't array";
        return nodes;
    }
    const QJsonArray array = macro.toArray();
    if (array.size() > kMaxMacroNodes) {
        qDebug() << "readMacroNodeList" << "too many nodes" << array.size();
        return nodes;
    }
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            continue;
        const QJsonObject o = element.toObject();
        MacroNode node;
        const auto readInt = [&o](const QString &key, int &field) {
            if (o.contains(key))
                field = o.value(key).toInt();
        };
        readInt(ValueType, node.ValueType);
        readInt(MouseValue, node.MouseValue);
        readInt(KeyValue, node.KeyValue);
        readInt(TimeLapse, node.TimeLapse);
        readInt(CoordinateX, node.CoordinateX);
        readInt(CoordinateY, node.CoordinateY);
        readInt(State, node.State);
        if (o.contains(Text))
            node.Text = o.value(Text).toString();
        nodes.append(node);
    }
    return nodes;
}

namespace {
// Replaces one member of a macro file: an unreadable file starts afresh
// with that member alone; valid JSON that is not an object is left alone.
bool setMacroFileMember(const QString &path, const QString &key, const QJsonValue &value)
{
    const QJsonDocument doc = readJsonDocument(path);
    if (doc.isNull()) {
        qDebug() << "no this";
        QJsonObject root;
        root.insert(key, value);
        return JsonHandle::writeJsonFile(path, root);
    }
    if (!doc.isObject())
        return false;
    QJsonObject root = doc.object();
    root.remove(key);
    root.insert(key, value);
    return JsonHandle::writeJsonFile(path, root);
}
} // namespace

bool JsonHandle::setMacroName(const QString &path, const QString &name)
{
    return setMacroFileMember(path, Name, name);
}

bool JsonHandle::setMacroType(const QString &path, int type)
{
    return setMacroFileMember(path, MacroType, type);
}

bool JsonHandle::setMacroLength(const QString &path, int length)
{
    return setMacroFileMember(path, MacroLength, length);
}

bool JsonHandle::setRepeatTimes(const QString &path, int times)
{
    return setMacroFileMember(path, RepeatTimes, times);
}

bool JsonHandle::setIgnoreDelayTime(const QString &path, int ignore)
{
    qDebug() << "setIgnoreDelayTime" << ignore;
    return setMacroFileMember(path, IgnoreDelayTime, ignore);
}

bool JsonHandle::writeMacroNodeList(const QString &path, const QList<MacroNode> &nodes)
{
    QJsonObject root;
    if (!readJsonRootObject(path, root))
        return false;
    root.insert(Macro, TurnMacroNodeListToJsonArray(nodes));
    return writeJsonFile(path, root);
}

QJsonArray JsonHandle::TurnMacroNodeListToJsonArray(const QList<MacroNode> &nodes) const
{
    qDebug() << "TurnMacroNodeListToJsonArray";
    QJsonArray array;
    for (const MacroNode &node : nodes) {
        QJsonObject o;
        o.insert(ValueType, node.ValueType);
        o.insert(MouseValue, node.MouseValue);
        o.insert(KeyValue, node.KeyValue);
        o.insert(TimeLapse, node.TimeLapse);
        o.insert(CoordinateX, node.CoordinateX);
        o.insert(CoordinateY, node.CoordinateY);
        o.insert(State, node.State);
        o.insert(Text, node.Text);
        array.append(o);
    }
    return array;
}

// --------------------------------------------------------- translation table

bool JsonHandle::readTranslateTable(const QString &path, QJsonArray &out, int index)
{
    out = QJsonArray();
    const QJsonDocument doc = readJsonDocument(path, kMaxTranslateFileSize);
    if (!doc.isArray()) {
        qDebug() << "NoArray";
        return false;
    }
    const QJsonArray root = doc.array();
    if (index < 0 || index >= root.size() || !root.at(index).isArray())
        return false;
    out = root.at(index).toArray();
    return true;
}
