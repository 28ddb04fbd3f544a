#include "tests/sim/familyb/familybhost.h"
#include "sim/familyb/familybmouse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using host::bytes;
using host::u8;

namespace {
QJsonObject parse(const QByteArray &state)
{
    return QJsonDocument::fromJson(state).object();
}

QByteArray serialize(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString b64(const QByteArray &b)
{
    return QString::fromLatin1(b.toBase64());
}

// Everything a state carries, for before/after comparisons.
struct Snapshot
{
    QByteArray image;
    QByteArray block;
    QVector<QByteArray> macros;

    explicit Snapshot(const FamilyBMouse &m)
        : image(m.profileImage()), block(m.macroBlock())
    {
        for (int n : FamilyBMouse::macroNumbers())
            macros << m.macroRecord(n);
    }
    bool operator==(const Snapshot &o) const
    {
        return image == o.image && block == o.block && macros == o.macros;
    }
};
} // namespace

class TestFamilyBState : public QObject
{
    Q_OBJECT

private slots:
    void roundTripThroughTheWire();
    void createFromState();
    void macrosAbsentFromTheStateReadEmpty();
    void hostileStates_data();
    void hostileStates();
    void fileRoundTrip();
    void hostileFiles();
};

void TestFamilyBState::roundTripThroughTheWire()
{
    host::Link a(3);
    QVERIFY(a.writeMacro(208, bytes({0x00, 0x03}), {0x0104, 0x8004, 0x0020}));
    QCOMPARE(u8(a.poll(), 3), quint8(0));
    QVERIFY(a.sendData(bytes({0x05, 0x80, 0x00, 0x04, 0x00, 0x00, 0x00}) + QByteArray(1024, '\x5C')));
    QCOMPARE(u8(a.poll(), 4), quint8(0));
    a.mouse->setProfileByte(243, 0x42);
    const QByteArray saved = a.mouse->saveState();

    host::Link b(3);
    QVERIFY(b.mouse->loadState(saved));
    QVERIFY(Snapshot(*b.mouse) == Snapshot(*a.mouse));
    QCOMPARE(b.readProfileAnswer(), a.readProfileAnswer());
    QVERIFY(b.send({0x84, 208, 0x00}));
    QCOMPARE(b.answer().mid(8, 8), bytes({0x00, 0x03, 0x04, 0x01, 0x04, 0x80, 0x20, 0x00}));
}

void TestFamilyBState::createFromState()
{
    auto a = FamilyBMouse::create(13);
    a->setProfileByte(300, 0x24);
    auto b = FamilyBMouse::createFromState(a->saveState());
    QVERIFY(b);
    QCOMPARE(b->mouseType(), 13);
    QCOMPARE(b->cpiStageValue(0), 1600);

    QVERIFY(!FamilyBMouse::createFromState(QByteArray("{}")));
    QJsonObject o = parse(a->saveState());
    o.insert(QStringLiteral("mouseType"), 11); // a family A model
    QVERIFY(!FamilyBMouse::createFromState(serialize(o)));
}

void TestFamilyBState::macrosAbsentFromTheStateReadEmpty()
{
    auto m = FamilyBMouse::create(2);
    QVERIFY(m->setMacro(140, bytes({0x00, 0x01}), {0x0104}));
    QJsonObject o = parse(m->saveState());
    o.insert(QStringLiteral("macros"), QJsonObject());
    QVERIFY(m->loadState(serialize(o)));
    QCOMPARE(m->macroRecord(140), QByteArray(1024, '\0'));
}

void TestFamilyBState::hostileStates_data()
{
    QTest::addColumn<QByteArray>("state");
    QTest::addColumn<bool>("anotherModel"); // a sound state, of another mouse

    auto good = FamilyBMouse::create(4);
    good->setProfileByte(250, 0x77);
    good->setMacro(212, bytes({0x00, 0x01}), {0x0101});
    const QByteArray saved = good->saveState();
    const QJsonObject root = parse(saved);
    auto with = [&](const QString &key, const QJsonValue &value) {
        QJsonObject o = root;
        o.insert(key, value);
        return serialize(o);
    };
    auto without = [&](const QString &key) {
        QJsonObject o = root;
        o.remove(key);
        return serialize(o);
    };
    auto withMacro = [&](const QString &number, const QJsonValue &value) {
        QJsonObject o = root;
        QJsonObject macros = o.value(QStringLiteral("macros")).toObject();
        macros.insert(number, value);
        o.insert(QStringLiteral("macros"), macros);
        return serialize(o);
    };

    QTest::newRow("cut in half") << saved.left(saved.size() / 2) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("not JSON") << QByteArray("profile=0000") << false;
    QTest::newRow("an array") << QByteArray("[1,2,3]") << false;
    QTest::newRow("another model") << with(QStringLiteral("mouseType"), 18) << true;
    QTest::newRow("unknown format") << with(QStringLiteral("format"), 2) << false;
    QTest::newRow("no format") << without(QStringLiteral("format")) << false;
    QTest::newRow("profile one byte short") << with(QStringLiteral("profile"), b64(QByteArray(1023, '\1'))) << false;
    QTest::newRow("profile one byte long") << with(QStringLiteral("profile"), b64(QByteArray(1025, '\1'))) << false;
    QTest::newRow("profile empty") << with(QStringLiteral("profile"), QString()) << false;
    QTest::newRow("profile not base64") << with(QStringLiteral("profile"), QStringLiteral("!!not base64!!")) << false;
    QTest::newRow("profile a number") << with(QStringLiteral("profile"), 12) << false;
    QTest::newRow("no profile") << without(QStringLiteral("profile")) << false;
    QTest::newRow("macro block short") << with(QStringLiteral("macroBlock"), b64(QByteArray(1000, '\1'))) << false;
    QTest::newRow("no macro block") << without(QStringLiteral("macroBlock")) << false;
    QTest::newRow("macros an array") << with(QStringLiteral("macros"), QJsonArray()) << false;
    QTest::newRow("macro number off the list") << withMacro(QStringLiteral("141"), b64(QByteArray(1024, '\1'))) << false;
    QTest::newRow("macro number past the list") << withMacro(QStringLiteral("236"), b64(QByteArray(1024, '\1'))) << false;
    QTest::newRow("macro key not a number") << withMacro(QStringLiteral("x"), b64(QByteArray(1024, '\1'))) << false;
    QTest::newRow("macro record short") << withMacro(QStringLiteral("140"), b64(QByteArray(512, '\1'))) << false;
    QTest::newRow("macro record long") << withMacro(QStringLiteral("140"), b64(QByteArray(4096, '\1'))) << false;
    QTest::newRow("macro record not a string") << withMacro(QStringLiteral("140"), QJsonObject()) << false;
}

void TestFamilyBState::hostileStates()
{
    QFETCH(QByteArray, state);
    QFETCH(bool, anotherModel);
    auto m = FamilyBMouse::create(4);
    m->setProfileByte(243, 0x11);
    m->setMacro(140, bytes({0x00, 0x02}), {0x0202});
    const Snapshot before(*m);
    QVERIFY(!m->loadState(state));
    QVERIFY(Snapshot(*m) == before);
    auto created = FamilyBMouse::createFromState(state);
    QCOMPARE(bool(created), anotherModel);
    if (created)
        QCOMPARE(created->mouseType(), 18);
}

void TestFamilyBState::fileRoundTrip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ox8.state"));
    auto a = FamilyBMouse::create(18);
    a->setMacro(216, bytes({0x00, 0x01}), {0x0123});
    QVERIFY(a->saveStateToFile(path));
    a->setProfileByte(243, 0x05);
    QVERIFY(a->saveStateToFile(path)); // replaces the file

    auto b = FamilyBMouse::create(18);
    QVERIFY(b->loadStateFromFile(path));
    QVERIFY(Snapshot(*b) == Snapshot(*a));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ox8.state")});
}

void TestFamilyBState::hostileFiles()
{
    QTemporaryDir dir;
    auto m = FamilyBMouse::create(5);
    const Snapshot before(*m);

    QVERIFY(!m->loadStateFromFile(dir.filePath(QStringLiteral("missing"))));

    // A valid state padded past 1 MiB is refused without being parsed.
    QFile big(dir.filePath(QStringLiteral("big")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write(m->saveState());
    big.write(QByteArray(1024 * 1024, ' '));
    big.close();
    QVERIFY(!m->loadStateFromFile(big.fileName()));

    QFile cut(dir.filePath(QStringLiteral("cut")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(m->saveState().left(300));
    cut.close();
    QVERIFY(!m->loadStateFromFile(cut.fileName()));
    QVERIFY(Snapshot(*m) == before);

    // Saving into a folder that does not exist fails.
    QVERIFY(!m->saveStateToFile(dir.filePath(QStringLiteral("no/such/folder/state"))));
}

QTEST_GUILESS_MAIN(TestFamilyBState)
#include "tst_familybstate.moc"
