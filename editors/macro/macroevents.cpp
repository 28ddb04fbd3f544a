#include "editors/macro/macroevents.h"

#include "device/keytables.h"
#include "editors/macro/macrolibrary.h"

#include <algorithm>
#include <limits>

namespace macroevents {

namespace {
const QString kKind = QStringLiteral("0");
const QString kValue = QStringLiteral("1");
const QString kState = QStringLiteral("2");
const QString kText = QStringLiteral("3");
const QString kX = QStringLiteral("x");
const QString kY = QStringLiteral("y");

constexpr int kShortEventBytes = 3;
constexpr int kLongEventBytes = 7;
constexpr int kLongDelayMs = 128;
constexpr int kMovementExtraBytes = 4;
} // namespace

QVariantMap EventRow::toMap() const
{
    QVariantMap map;
    map.insert(kKind, kind);
    if (kind == MovementRow) {
        map.insert(kX, x);
        map.insert(kY, y);
        return map;
    }
    map.insert(kValue, value);
    if (kind == KeyRow) {
        map.insert(kState, state);
        map.insert(kText, text);
    }
    return map;
}

EventRow EventRow::fromMap(const QVariantMap &map)
{
    EventRow row;
    row.kind = map.value(kKind).toInt();
    row.value = map.value(kValue).toInt();
    row.state = map.value(kState).toInt();
    row.text = map.value(kText).toString();
    row.x = map.value(kX).toInt();
    row.y = map.value(kY).toInt();
    return row;
}

bool EventRow::operator==(const EventRow &o) const
{
    return kind == o.kind && value == o.value && state == o.state && text == o.text && x == o.x && y == o.y;
}

EventRow keyRow(int keyCode, int state, const QString &text)
{
    EventRow row;
    row.kind = KeyRow;
    row.value = keyCode;
    row.state = state;
    row.text = text;
    return row;
}

EventRow delayRow(int ms)
{
    EventRow row;
    row.kind = DelayRow;
    row.value = ms;
    return row;
}

EventRow movementRow(int x, int y)
{
    EventRow row;
    row.kind = MovementRow;
    row.x = std::clamp(x, -kMaxCoordinate, kMaxCoordinate);
    row.y = std::clamp(y, -kMaxCoordinate, kMaxCoordinate);
    return row;
}

QList<MacroNode> nodesFromRows(const QList<EventRow> &rows)
{
    QList<MacroNode> nodes;
    for (int i = 0; i < rows.size(); ++i) {
        const EventRow &row = rows.at(i);
        if (row.kind != KeyRow && row.kind != MovementRow)
            continue;
        MacroNode node;
        node.TimeLapse = i + 1 < rows.size() && rows.at(i + 1).kind == DelayRow ? rows.at(i + 1).value : 0;
        if (row.kind == KeyRow) {
            node.ValueType = kKeyNode;
            node.KeyValue = row.value;
            node.State = row.state;
            node.Text = row.text;
        } else {
            node.ValueType = kMovementNode;
            node.CoordinateX = row.x;
            node.CoordinateY = row.y;
        }
        nodes.append(node);
    }
    return nodes;
}

QList<EventRow> rowsFromNodes(const QList<MacroNode> &nodes)
{
    QList<EventRow> rows;
    for (const MacroNode &n : nodes) {
        if (n.ValueType == kKeyNode && n.KeyValue > 0 && (n.State == kPressed || n.State == kReleased)) {
            // A code the editor knows shows its own name; a file's text only
            // otherwise, cleaned like a macro name.
            const QString known = virtualKeyName(n.KeyValue);
            rows.append(keyRow(n.KeyValue, n.State, known.isEmpty() ? macrolibrary::cleanMacroName(n.Text) : known));
        } else if (n.ValueType == kMovementNode) {
            rows.append(movementRow(n.CoordinateX, n.CoordinateY));
        } else {
            continue;
        }
        if (n.TimeLapse > 0)
            rows.append(delayRow(n.TimeLapse));
    }
    return rows;
}

int mergeNeighbouringDelays(QList<EventRow> &rows)
{
    int merged = -1;
    for (int i = 1; i < rows.size();) {
        if (rows.at(i - 1).kind != DelayRow || rows.at(i).kind != DelayRow) {
            ++i;
            continue;
        }
        // Delays are at most a few hours each; the sum saturates rather than wraps.
        const qint64 sum = qint64(rows.at(i - 1).value) + rows.at(i).value;
        rows[i - 1].value = int(std::min<qint64>(sum, std::numeric_limits<int>::max()));
        rows.removeAt(i);
        merged = i - 1;
    }
    return merged;
}

int partnerRow(const QList<EventRow> &rows, int row)
{
    if (row < 0 || row >= rows.size() || rows.at(row).kind != KeyRow)
        return -1;
    const EventRow &key = rows.at(row);
    const int step = key.state == kPressed ? 1 : -1;
    for (int i = row + step; i >= 0 && i < rows.size(); i += step) {
        const EventRow &r = rows.at(i);
        if (r.kind == KeyRow && r.value == key.value)
            return r.state != key.state ? i : -1;
    }
    return -1;
}

int calculateMacroNodeLength(int time)
{
    return time < kLongDelayMs ? kShortEventBytes : kLongEventBytes;
}

int calculateMacroListLength(const QList<MacroNode> &nodes)
{
    int length = 0;
    for (const MacroNode &n : nodes) {
        length += calculateMacroNodeLength(n.TimeLapse);
        // Movement nodes are told by their kind (their KeyValue is -1).
        if (n.ValueType == kMovementNode)
            length += kMovementExtraBytes;
    }
    return length;
}

} // namespace macroevents
