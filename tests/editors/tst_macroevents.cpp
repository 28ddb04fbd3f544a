// The macro page's event rows as data: rows to file nodes and back, merging
// delays, the press/release pairs and the device length rule.
#include "editors/macro/macroevents.h"
#include "tests/common/macrotestutil.h"

#include <QtTest>

using namespace macroevents;

Q_DECLARE_METATYPE(EventRow)

namespace {
EventRow key(int code, int state)
{
    return keyRow(code, state, QString());
}
} // namespace

class TstMacroEvents : public QObject
{
    Q_OBJECT

private slots:
    void nodesFromRows_data();
    void nodesFromRows();
    void rowsFromNodes_data();
    void rowsFromNodes();
    void mergeNeighbouringDelays_data();
    void mergeNeighbouringDelays();
    void partnerRow_data();
    void partnerRow();
    void deviceLength_data();
    void deviceLength();
    void rowMapsKeepTheirKeys();
};

void TstMacroEvents::nodesFromRows_data()
{
    QTest::addColumn<QList<EventRow>>("rows");
    QTest::addColumn<QList<MacroNode>>("nodes");

    MacroNode pressA = keyNode(65, 0, 50);
    pressA.Text = QStringLiteral("A");
    MacroNode releaseA = keyNode(65, 1, 0);
    releaseA.Text = QStringLiteral("A");
    QTest::newRow("A down, 50 ms, A up: the delay belongs to the press")
        << QList<EventRow>{keyRow(65, 0, QStringLiteral("A")), delayRow(50), keyRow(65, 1, QStringLiteral("A"))}
        << QList<MacroNode>{pressA, releaseA};
    QTest::newRow("a delay before the first event gives no node")
        << QList<EventRow>{delayRow(10), key(66, 0), key(66, 1)}
        << QList<MacroNode>{keyNode(66, 0, 0), keyNode(66, 1, 0)};
    QTest::newRow("movement with its delay")
        << QList<EventRow>{movementRow(5, -7), delayRow(200)} << QList<MacroNode>{moveNode(5, -7, 200)};
    QTest::newRow("only the delay right after counts")
        << QList<EventRow>{key(1, 0), delayRow(30), delayRow(20), key(1, 1)}
        << QList<MacroNode>{keyNode(1, 0, 30), keyNode(1, 1, 0)};
    QTest::newRow("empty") << QList<EventRow>{} << QList<MacroNode>{};
}

void TstMacroEvents::nodesFromRows()
{
    QFETCH(QList<EventRow>, rows);
    QFETCH(QList<MacroNode>, nodes);
    QCOMPARE(macroevents::nodesFromRows(rows), nodes);
}

void TstMacroEvents::rowsFromNodes_data()
{
    QTest::addColumn<QList<MacroNode>>("nodes");
    QTest::addColumn<QList<EventRow>>("rows");

    MacroNode named = keyNode(163, 0, 0);
    named.Text = QStringLiteral("whatever the file says");
    MacroNode unknown = keyNode(250, 1, 0);
    unknown.Text = QStringLiteral("\x1b[31mred\nline");
    MacroNode noState = keyNode(65, 7, 10);
    MacroNode noKey = keyNode(0, 0, 10);
    MacroNode otherKind = keyNode(65, 0, 10);
    otherKind.ValueType = 9;

    QTest::newRow("a delay row after each node with a delay")
        << QList<MacroNode>{keyNode(65, 0, 50), keyNode(65, 1, 0)}
        << QList<EventRow>{keyRow(65, 0, QStringLiteral("A")), delayRow(50), keyRow(65, 1, QStringLiteral("A"))};
    QTest::newRow("known codes show their own name") << QList<MacroNode>{named}
                                                     << QList<EventRow>{keyRow(163, 0, QStringLiteral("R_Ctrl"))};
    QTest::newRow("unknown codes show the file's text, cleaned")
        << QList<MacroNode>{unknown} << QList<EventRow>{keyRow(250, 1, QStringLiteral("[31mredline"))};
    QTest::newRow("nodes the editor cannot show are left out, delays too")
        << QList<MacroNode>{noState, noKey, otherKind, keyNode(66, 0, 0)}
        << QList<EventRow>{keyRow(66, 0, QStringLiteral("B"))};
    QTest::newRow("movements held to the editor's range")
        << QList<MacroNode>{moveNode(500, -900, 0)} << QList<EventRow>{movementRow(127, -127)};
    QTest::newRow("negative delays give no row") << QList<MacroNode>{keyNode(65, 0, -5)}
                                                 << QList<EventRow>{keyRow(65, 0, QStringLiteral("A"))};
}

void TstMacroEvents::rowsFromNodes()
{
    QFETCH(QList<MacroNode>, nodes);
    QFETCH(QList<EventRow>, rows);
    QCOMPARE(macroevents::rowsFromNodes(nodes), rows);
}

void TstMacroEvents::mergeNeighbouringDelays_data()
{
    QTest::addColumn<QList<EventRow>>("rows");
    QTest::addColumn<QList<EventRow>>("merged");
    QTest::addColumn<int>("at");

    QTest::newRow("30 ms then 20 ms read 50 ms")
        << QList<EventRow>{key(65, 0), delayRow(30), delayRow(20), key(65, 1)}
        << QList<EventRow>{key(65, 0), delayRow(50), key(65, 1)} << 1;
    QTest::newRow("three in a row")
        << QList<EventRow>{delayRow(1), delayRow(2), delayRow(3)} << QList<EventRow>{delayRow(6)} << 0;
    QTest::newRow("delays apart stay apart")
        << QList<EventRow>{delayRow(1), key(65, 0), delayRow(2)}
        << QList<EventRow>{delayRow(1), key(65, 0), delayRow(2)} << -1;
    QTest::newRow("huge sums saturate")
        << QList<EventRow>{delayRow(std::numeric_limits<int>::max()), delayRow(5)}
        << QList<EventRow>{delayRow(std::numeric_limits<int>::max())} << 0;
}

void TstMacroEvents::mergeNeighbouringDelays()
{
    QFETCH(QList<EventRow>, rows);
    QFETCH(QList<EventRow>, merged);
    QFETCH(int, at);
    QCOMPARE(macroevents::mergeNeighbouringDelays(rows), at);
    QCOMPARE(rows, merged);
}

void TstMacroEvents::partnerRow_data()
{
    QTest::addColumn<QList<EventRow>>("rows");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("partner");

    const QList<EventRow> nested{key(65, 0), delayRow(5), key(66, 0), key(66, 1), key(65, 1)};
    QTest::newRow("a press finds its release past other keys") << nested << 0 << 4;
    QTest::newRow("a release finds its press") << nested << 4 << 0;
    QTest::newRow("inner pair") << nested << 3 << 2;
    QTest::newRow("a delay has none") << nested << 1 << -1;
    QTest::newRow("a press without release")
        << QList<EventRow>{key(65, 0), key(66, 0), key(66, 1)} << 0 << -1;
    QTest::newRow("the same key pressed again is no release")
        << QList<EventRow>{key(65, 0), key(65, 0), key(65, 1)} << 0 << -1;
    QTest::newRow("out of range") << nested << 9 << -1;
}

void TstMacroEvents::partnerRow()
{
    QFETCH(QList<EventRow>, rows);
    QFETCH(int, row);
    QFETCH(int, partner);
    QCOMPARE(macroevents::partnerRow(rows, row), partner);
}

void TstMacroEvents::deviceLength_data()
{
    QTest::addColumn<QList<MacroNode>>("nodes");
    QTest::addColumn<int>("length");

    QTest::newRow("127 ms is short") << QList<MacroNode>{keyNode(65, 0, 127)} << 3;
    QTest::newRow("128 ms makes the event cost 7") << QList<MacroNode>{keyNode(65, 0, 128)} << 7;
    QTest::newRow("no delay") << QList<MacroNode>{keyNode(65, 0, 0), keyNode(65, 1, 0)} << 6;
    QTest::newRow("a movement costs 4 more") << QList<MacroNode>{moveNode(1, 1, 0)} << 7;
    QTest::newRow("a movement with a long delay") << QList<MacroNode>{moveNode(1, 1, 500)} << 11;
}

void TstMacroEvents::deviceLength()
{
    QFETCH(QList<MacroNode>, nodes);
    QFETCH(int, length);
    QCOMPARE(calculateMacroListLength(nodes), length);
}

void TstMacroEvents::rowMapsKeepTheirKeys()
{
    const EventRow k = keyRow(65, 1, QStringLiteral("A"));
    const QVariantMap map = k.toMap();
    QCOMPARE(map.value(QStringLiteral("0")).toInt(), int(KeyRow));
    QCOMPARE(map.value(QStringLiteral("1")).toInt(), 65);
    QCOMPARE(map.value(QStringLiteral("2")).toInt(), 1);
    QCOMPARE(map.value(QStringLiteral("3")).toString(), QStringLiteral("A"));
    QCOMPARE(EventRow::fromMap(map), k);
    const QVariantMap move = movementRow(-3, 4).toMap();
    QCOMPARE(move.value(QStringLiteral("x")).toInt(), -3);
    QCOMPARE(move.value(QStringLiteral("y")).toInt(), 4);
    QCOMPARE(EventRow::fromMap(delayRow(40).toMap()), delayRow(40));
}

QTEST_GUILESS_MAIN(TstMacroEvents)
#include "tst_macroevents.moc"
