#pragma once

#include "config/macronode.h"

#include <QList>
#include <QString>
#include <QVariantMap>

// The macro page's event list as data: one row per event and one per delay,
// and the rules between those rows and the nodes of a macro file. Pure
// functions; the page keeps each row's map on its list item.
namespace macroevents {

// Row kinds (map key "0").
enum RowKind { KeyRow = 3, DelayRow = 4, MovementRow = 6 };
// Node kinds and key states of the macro file.
constexpr int kKeyNode = 3;
constexpr int kMovementNode = 6;
constexpr int kPressed = 0;
constexpr int kReleased = 1;
// The editor's range of a movement.
constexpr int kMaxCoordinate = 127;
// A macro may not reach this many bytes in the device's terms.
constexpr int kMaxMacroLength = 900;

struct EventRow
{
    int kind = KeyRow;
    int value = 0; // key code, or the milliseconds of a delay
    int state = kPressed;
    QString text;
    int x = 0;
    int y = 0;

    // The row's map: "0" kind, "1" key code or milliseconds, "2" state,
    // "3" text, "x" and "y".
    QVariantMap toMap() const;
    static EventRow fromMap(const QVariantMap &map);
    bool operator==(const EventRow &o) const;
};

EventRow keyRow(int keyCode, int state, const QString &text);
EventRow delayRow(int ms);
EventRow movementRow(int x, int y);

// Each key or movement row becomes a node whose TimeLapse is the delay row
// right after it (0 when none); delay rows give no node of their own.
QList<MacroNode> nodesFromRows(const QList<EventRow> &rows);
// The rows a file's nodes show: an event row per node and a delay row after
// each node with a delay. Nodes the editor cannot show (another kind, a key
// without a code or a state) are left out; movements are held to the
// editor's range; a key's text is the known name of its code.
QList<EventRow> rowsFromNodes(const QList<MacroNode> &nodes);

// Merges every delay row that follows another into it (30 ms then 20 ms
// read 50 ms). Returns the row of the last merge, -1 when none.
int mergeNeighbouringDelays(QList<EventRow> &rows);
// The other half of a key row's press/release pair: after a press the next
// event of the same key when it is a release, before a release the previous
// one when it is a press; -1 otherwise.
int partnerRow(const QList<EventRow> &rows, int row);

// 3 bytes for an event, 7 when the delay after it is 128 ms or more.
int calculateMacroNodeLength(int time);
// The events' device length; a movement carries 4 bytes more.
int calculateMacroListLength(const QList<MacroNode> &nodes);

} // namespace macroevents
