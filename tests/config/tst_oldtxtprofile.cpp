#include "config/atomicfile.h"
#include "config/oldtxtprofile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + seed) & 0xFF);
    return bytes;
}

QByteArray korvanRecord(int size, int repeat)
{
    QByteArray record = pattern(qMax(size, 4), size);
    record[0] = char(size & 0xFF);
    record[1] = char(size >> 8);
    record[2] = char(repeat & 0xFF);
    record[3] = char(repeat >> 8);
    return record;
}

OldTxtProfile korvanProfile()
{
    OldTxtProfile p;
    p.dialect = QStringLiteral("Korvan");
    p.block = pattern(128, 1);
    p.macros.insert(0, korvanRecord(10, 1));
    p.macros.insert(13, korvanRecord(4096, 65535));
    p.macros.insert(4, korvanRecord(4, 2));
    return p;
}

OldTxtProfile haldenProfile()
{
    OldTxtProfile p;
    p.dialect = QStringLiteral("Halden");
    p.block = pattern(234, 2);
    p.macros.insert(140, QByteArray::fromHex("0001" "3412"));
    p.macros.insert(232, pattern(2 + 2 * 512, 9));
    return p;
}

quint32 sumOf(const QByteArray &bytes)
{
    quint32 s = 0;
    for (char c : bytes)
        s += quint8(c);
    return s;
}

// A profile file written by hand: header, dialect, block, the given macro
// lines, and a correct sum unless one is given.
QByteArray handWritten(const QByteArray &dialect, const QByteArray &block, const QList<QByteArray> &macroLines,
                       int sum = -1)
{
    QByteArray text = "OX8PROFILE 1\ndialect " + dialect + "\nblock " + block.toHex() + "\n";
    quint32 s = sumOf(block);
    for (const QByteArray &line : macroLines) {
        text += line + "\n";
        s += sumOf(QByteArray::fromHex(line.split(' ').last()));
    }
    text += "sum " + QByteArray::number(sum >= 0 ? sum : int(s & 0xFFFF)) + "\n";
    return text;
}

} // namespace

Q_DECLARE_METATYPE(OldTxtProfile)

class TestOldTxtProfile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void writtenForm();
    void wholeKorvanPagesAreCut();
    void acceptedVariants_data();
    void acceptedVariants();
    void rejected_data();
    void rejected();
    void files();
};

void TestOldTxtProfile::roundTrip_data()
{
    QTest::addColumn<OldTxtProfile>("profile");
    QTest::addColumn<int>("blockSize");
    QTest::newRow("Korvan with macros") << korvanProfile() << 128;
    QTest::newRow("Halden with macros") << haldenProfile() << 234;
    OldTxtProfile bare = haldenProfile();
    bare.macros.clear();
    QTest::newRow("no macros") << bare << 234;
    OldTxtProfile ff = korvanProfile();
    ff.block.fill(char(0xFF));
    QTest::newRow("sum wraps past 65535") << ff << 128;
}

void TestOldTxtProfile::roundTrip()
{
    QFETCH(OldTxtProfile, profile);
    QFETCH(int, blockSize);
    const QByteArray text = writeOldTxtProfile(profile);
    OldTxtProfile parsed;
    QString error;
    QVERIFY2(parseOldTxtProfile(text, profile.dialect, blockSize, parsed, &error), qPrintable(error));
    QCOMPARE(parsed, profile);
}

void TestOldTxtProfile::writtenForm()
{
    OldTxtProfile p;
    p.dialect = QStringLiteral("Halden");
    p.block = QByteArray::fromHex("00ff10");
    p.macros.insert(144, QByteArray::fromHex("0001abcd"));
    p.macros.insert(140, QByteArray::fromHex("0002"));
    QCOMPARE(writeOldTxtProfile(p), QByteArray("OX8PROFILE 1\n"
                                               "dialect Halden\n"
                                               "block 00FF10\n"
                                               "macro 140 0002\n"
                                               "macro 144 0001ABCD\n"
                                               "sum 650\n"));
}

void TestOldTxtProfile::wholeKorvanPagesAreCut()
{
    OldTxtProfile p = korvanProfile();
    QByteArray page = korvanRecord(7, 3);
    page.append(QByteArray(4096 - page.size(), char(0x55)));
    p.macros.insert(2, page);
    OldTxtProfile parsed;
    QVERIFY(parseOldTxtProfile(writeOldTxtProfile(p), "Korvan", 128, parsed));
    QCOMPARE(parsed.macros.value(2), page.left(7));
}

void TestOldTxtProfile::acceptedVariants_data()
{
    QTest::addColumn<QByteArray>("text");
    const QByteArray good = writeOldTxtProfile(korvanProfile());
    QTest::newRow("comments and blank lines") << "# saved by hand\n\n" + good + "\n# end\n";
    QByteArray crlf = good;
    crlf.replace("\n", "\r\n");
    QTest::newRow("CRLF line ends") << crlf;
    QByteArray noFinalNewline = good;
    noFinalNewline.chop(1);
    QTest::newRow("no final line end") << noFinalNewline;
    QTest::newRow("lower-case hex") << good.toLower().replace("ox8profile", "OX8PROFILE").replace("korvan", "Korvan");
}

void TestOldTxtProfile::acceptedVariants()
{
    QFETCH(QByteArray, text);
    OldTxtProfile parsed;
    QString error;
    QVERIFY2(parseOldTxtProfile(text, "Korvan", 128, parsed, &error), qPrintable(error));
    QCOMPARE(parsed, korvanProfile());
}

// Every damaged file is refused with a reason, and the output is untouched.
void TestOldTxtProfile::rejected_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("dialect");
    QTest::addColumn<int>("blockSize");

    const QByteArray k = pattern(128, 1);
    const QByteArray h = pattern(234, 2);
    const QByteArray good = writeOldTxtProfile(korvanProfile());
    const auto replaced = [&good](const char *from, const char *to) { return QByteArray(good).replace(from, to); };

    QTest::newRow("empty file") << QByteArray() << "Korvan" << 128;
    QTest::newRow("not a profile") << QByteArray("hello\n") << "Korvan" << 128;
    QTest::newRow("JSON instead") << QByteArray("{\"MouseDataOfGamingMode\":{}}") << "Korvan" << 128;
    QTest::newRow("unknown version") << replaced("OX8PROFILE 1", "OX8PROFILE 2") << "Korvan" << 128;
    QTest::newRow("wrong dialect") << good << "Halden" << 128;
    QTest::newRow("unknown expected dialect") << good << "Other" << 128;
    QTest::newRow("dialect line missing") << replaced("dialect Korvan\n", "") << "Korvan" << 128;
    QTest::newRow("block too short") << handWritten("Korvan", k.left(127), {}) << "Korvan" << 128;
    QTest::newRow("block too long") << handWritten("Korvan", k + '\0', {}) << "Korvan" << 128;
    QTest::newRow("Halden block where Korvan is expected") << handWritten("Korvan", h, {}) << "Korvan" << 128;
    QByteArray badHex = handWritten("Korvan", k, {});
    badHex[badHex.indexOf("block ") + 7] = 'g';
    QTest::newRow("bad hex in block") << badHex << "Korvan" << 128;
    QTest::newRow("odd hex in macro") << handWritten("Korvan", k, {"macro 1 040001000"}) << "Korvan" << 128;
    QTest::newRow("bad hex in macro") << handWritten("Korvan", k, {"macro 1 0400010x"}) << "Korvan" << 128;
    QTest::newRow("wrong sum") << handWritten("Korvan", k, {}, int(sumOf(k) + 1)) << "Korvan" << 128;
    QTest::newRow("sum above 65535") << handWritten("Korvan", k, {}, 65536 + int(sumOf(k))) << "Korvan" << 128;
    QTest::newRow("sum missing") << handWritten("Korvan", k, {}).left(handWritten("Korvan", k, {}).indexOf("sum "))
                                 << "Korvan" << 128;
    QTest::newRow("text after the sum") << handWritten("Korvan", k, {}) + "macro 1 04000100\n" << "Korvan" << 128;
    QTest::newRow("duplicate position")
        << handWritten("Korvan", k, {"macro 1 04000100", "macro 1 04000200"}) << "Korvan" << 128;
    QTest::newRow("position out of range") << handWritten("Korvan", k, {"macro 256 04000100"}) << "Korvan" << 128;
    QTest::newRow("negative position") << handWritten("Korvan", k, {"macro -1 04000100"}) << "Korvan" << 128;
    QTest::newRow("position with leading zero") << handWritten("Korvan", k, {"macro 01 04000100"}) << "Korvan" << 128;
    QTest::newRow("position not a number") << handWritten("Korvan", k, {"macro x 04000100"}) << "Korvan" << 128;
    QTest::newRow("huge position") << handWritten("Korvan", k, {"macro 99999999999999999999 04000100"}) << "Korvan"
                                   << 128;
    QTest::newRow("Korvan record shorter than its header") << handWritten("Korvan", k, {"macro 1 0400"}) << "Korvan"
                                                           << 128;
    QTest::newRow("Korvan size field beyond the record")
        << handWritten("Korvan", k, {"macro 1 0A000100010203"}) << "Korvan" << 128;
    QTest::newRow("Korvan record longer than its size field")
        << handWritten("Korvan", k, {"macro 1 07000100010203FF"}) << "Korvan" << 128;
    QTest::newRow("Korvan size field over 4096")
        << handWritten("Korvan", k, {"macro 1 " + korvanRecord(4097, 1).toHex()}) << "Korvan" << 128;
    QTest::newRow("Halden record of odd length") << handWritten("Halden", h, {"macro 140 000134"}) << "Halden" << 234;
    QTest::newRow("Halden record without repeat bytes") << handWritten("Halden", h, {"macro 140 00"}) << "Halden"
                                                        << 234;
    QTest::newRow("Halden record over 512 events")
        << handWritten("Halden", h, {"macro 140 " + pattern(2 + 2 * 513, 0).toHex()}) << "Halden" << 234;
    QTest::newRow("double space") << replaced("dialect Korvan", "dialect  Korvan") << "Korvan" << 128;
    QTest::newRow("trailing space") << replaced("dialect Korvan", "dialect Korvan ") << "Korvan" << 128;
    QTest::newRow("NUL inside a line") << QByteArray(good).replace("dialect Korvan", QByteArray("dialect Kor\0van", 15))
                                       << "Korvan" << 128;
    QTest::newRow("over-long line") << "# " + QByteArray(9000, 'x') + "\n" + good << "Korvan" << 128;
    QTest::newRow("file over 1 MiB") << good + QByteArray(1024 * 1024, '\n') << "Korvan" << 128;
    QTest::newRow("expected block size 0") << good << "Korvan" << 0;
}

void TestOldTxtProfile::rejected()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, dialect);
    QFETCH(int, blockSize);
    OldTxtProfile out = korvanProfile();
    QString error;
    QVERIFY(!parseOldTxtProfile(text, dialect, blockSize, out, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(out, korvanProfile());
    // The error text is optional.
    QVERIFY(!parseOldTxtProfile(text, dialect, blockSize, out));
}

void TestOldTxtProfile::files()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/Config1.txt";
    OldTxtProfile parsed;
    QString error;
    QVERIFY(!readOldTxtProfileFile(path, "Korvan", 128, parsed, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(path));
    QVERIFY(!readOldTxtProfileFile(dir.path(), "Korvan", 128, parsed));

    QVERIFY(writeOldTxtProfileFile(path, korvanProfile()));
    QVERIFY(readOldTxtProfileFile(path, "Korvan", 128, parsed, &error));
    QCOMPARE(parsed, korvanProfile());

    // A write stopped before its commit keeps the old file.
    setAtomicWriteAbortBeforeCommit(true);
    QVERIFY(!writeOldTxtProfileFile(path, haldenProfile()));
    setAtomicWriteAbortBeforeCommit(false);
    QVERIFY(readOldTxtProfileFile(path, "Korvan", 128, parsed));
    QCOMPARE(parsed, korvanProfile());

    QFile big(path);
    QVERIFY(big.open(QIODevice::Append));
    big.write(QByteArray(1024 * 1024, '\n'));
    big.close();
    QVERIFY(!readOldTxtProfileFile(path, "Korvan", 128, parsed, &error));
    QVERIFY(error.contains("too large"));
}

QTEST_APPLESS_MAIN(TestOldTxtProfile)
#include "tst_oldtxtprofile.moc"
