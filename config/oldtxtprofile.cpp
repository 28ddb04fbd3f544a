#include "config/oldtxtprofile.h"

#include "config/atomicfile.h"
#include "platform/safefile.h"
#include "config/jsonkeys.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace {

const QByteArray kMagic = QByteArrayLiteral("OX8PROFILE");
const QByteArray kVersion = QByteArrayLiteral("1");

// Far above any real profile (a settings block and a few dozen macro pages
// of at most 4096 bytes); a larger file is damage and is not read.
constexpr int kMaxFileSize = 1024 * 1024;
// The longest real line is a full Korvan macro page: "macro NNN " + 8192 hex.
constexpr int kMaxLineLength = 8192 + 64;
constexpr int kMaxPosition = 255;
constexpr int kMaxMacros = kMaxPosition + 1;
constexpr int kMaxBlockSize = 4096;
constexpr int kKorvanMaxRecord = 4096;
constexpr int kKorvanHeaderSize = 4;
// A family B device takes at most 512 entries after the 2 repeat bytes.
constexpr int kHaldenMaxRecord = 2 + 2 * 512;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool parseHex(const QByteArray &text, QByteArray &out)
{
    if (text.size() % 2 != 0)
        return false;
    for (char c : text) {
        if (!isHexDigit(c))
            return false;
    }
    out = QByteArray::fromHex(text);
    return true;
}

// A plain decimal number without sign or leading zeros, at most max.
bool parseDecimal(const QByteArray &text, int max, int &out)
{
    if (text.isEmpty() || text.size() > 6 || (text.size() > 1 && text.at(0) == '0'))
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > max)
        return false;
    out = value;
    return true;
}

quint32 byteSum(const QByteArray &bytes)
{
    quint32 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    return sum;
}

// A Korvan record as stored: the managers hand over whole 4096-byte pages,
// of which only the part the size field covers is the macro.
QByteArray storedRecord(const QString &dialect, const QByteArray &record)
{
    if (dialect != dialects::kKorvan || record.size() < kKorvanHeaderSize)
        return record;
    const int size = qMax(int(quint8(record.at(0)) | (quint8(record.at(1)) << 8)), kKorvanHeaderSize);
    return size < record.size() ? record.left(size) : record;
}

quint16 profileSum(const OldTxtProfile &profile)
{
    quint32 sum = byteSum(profile.block);
    for (const QByteArray &record : profile.macros)
        sum += byteSum(storedRecord(profile.dialect, record));
    return quint16(sum & 0xFFFF);
}

bool checkRecord(const QString &dialect, const QByteArray &record, QString *why)
{
    if (dialect == dialects::kKorvan) {
        if (record.size() < kKorvanHeaderSize || record.size() > kKorvanMaxRecord)
            return fail(why, QStringLiteral("Korvan macro record of %1 bytes").arg(record.size()));
        const int size = quint8(record.at(0)) | (quint8(record.at(1)) << 8);
        if (record.size() != qMax(size, kKorvanHeaderSize))
            return fail(why, QStringLiteral("Korvan macro record of %1 bytes gives size %2")
                                 .arg(record.size())
                                 .arg(size));
        return true;
    }
    if (record.size() < 2 || record.size() % 2 != 0 || record.size() > kHaldenMaxRecord)
        return fail(why, QStringLiteral("Halden macro record of %1 bytes").arg(record.size()));
    return true;
}

} // namespace

QByteArray writeOldTxtProfile(const OldTxtProfile &profile)
{
    QByteArray text;
    text += kMagic + ' ' + kVersion + '\n';
    text += "dialect " + profile.dialect.toUtf8() + '\n';
    text += "block " + profile.block.toHex().toUpper() + '\n';
    for (auto it = profile.macros.cbegin(); it != profile.macros.cend(); ++it) {
        text += "macro " + QByteArray::number(it.key()) + ' '
            + storedRecord(profile.dialect, it.value()).toHex().toUpper() + '\n';
    }
    text += "sum " + QByteArray::number(profileSum(profile)) + '\n';
    return text;
}

bool parseOldTxtProfile(const QByteArray &text, const QString &expectedDialect, int expectedBlockSize,
                        OldTxtProfile &out, QString *error)
{
    if (text.size() > kMaxFileSize)
        return fail(error, QStringLiteral("file of %1 bytes is too large").arg(text.size()));
    if (expectedDialect != dialects::kKorvan && expectedDialect != dialects::kHalden)
        return fail(error, QStringLiteral("unknown dialect %1 expected").arg(expectedDialect));
    if (expectedBlockSize <= 0 || expectedBlockSize > kMaxBlockSize)
        return fail(error, QStringLiteral("bad block size %1 expected").arg(expectedBlockSize));

    enum class Want { Magic, Dialect, Block, MacroOrSum, End };
    Want want = Want::Magic;
    OldTxtProfile profile;
    int sum = -1;

    const QList<QByteArray> lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QByteArray line = lines.at(n);
        const int lineNumber = n + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() > kMaxLineLength)
            return fail(error, QStringLiteral("line %1 is too long").arg(lineNumber));
        if (line.isEmpty() || line.startsWith('#'))
            continue;

        const QList<QByteArray> f = line.split(' ');
        const auto bad = [&](const QString &what) {
            return fail(error, QStringLiteral("line %1: %2").arg(lineNumber).arg(what));
        };
        for (const QByteArray &field : f) {
            if (field.isEmpty())
                return bad(QStringLiteral("stray space"));
        }

        switch (want) {
        case Want::Magic:
            if (f.size() != 2 || f.at(0) != kMagic)
                return bad(QStringLiteral("not a profile file"));
            if (f.at(1) != kVersion)
                return bad(QStringLiteral("unknown format version"));
            want = Want::Dialect;
            break;
        case Want::Dialect:
            if (f.size() != 2 || f.at(0) != "dialect")
                return bad(QStringLiteral("dialect expected"));
            if (QString::fromUtf8(f.at(1)) != expectedDialect)
                return bad(QStringLiteral("dialect %1, %2 expected").arg(QString::fromUtf8(f.at(1)), expectedDialect));
            profile.dialect = expectedDialect;
            want = Want::Block;
            break;
        case Want::Block:
            if (f.size() != 2 || f.at(0) != "block")
                return bad(QStringLiteral("block expected"));
            if (f.at(1).size() != 2 * expectedBlockSize)
                return bad(QStringLiteral("block of %1 bytes expected").arg(expectedBlockSize));
            if (!parseHex(f.at(1), profile.block))
                return bad(QStringLiteral("bad hex in block"));
            want = Want::MacroOrSum;
            break;
        case Want::MacroOrSum:
            if (f.size() == 3 && f.at(0) == "macro") {
                int position = 0;
                if (!parseDecimal(f.at(1), kMaxPosition, position))
                    return bad(QStringLiteral("bad macro position"));
                if (profile.macros.contains(position))
                    return bad(QStringLiteral("macro position %1 repeated").arg(position));
                if (profile.macros.size() >= kMaxMacros)
                    return bad(QStringLiteral("too many macros"));
                QByteArray record;
                if (!parseHex(f.at(2), record))
                    return bad(QStringLiteral("bad hex in macro"));
                QString why;
                if (!checkRecord(expectedDialect, record, &why))
                    return bad(why);
                profile.macros.insert(position, record);
            } else if (f.size() == 2 && f.at(0) == "sum") {
                if (!parseDecimal(f.at(1), 0xFFFF, sum))
                    return bad(QStringLiteral("bad sum"));
                want = Want::End;
            } else {
                return bad(QStringLiteral("macro or sum expected"));
            }
            break;
        case Want::End:
            return bad(QStringLiteral("text after the sum"));
        }
    }
    if (want != Want::End)
        return fail(error, QStringLiteral("file ends early"));
    if (sum != profileSum(profile))
        return fail(error, QStringLiteral("sum %1 does not match %2").arg(sum).arg(profileSum(profile)));
    out = profile;
    return true;
}

bool readOldTxtProfileText(const QString &path, QByteArray &text, QString *error)
{
    switch (readRegularFile(path, kMaxFileSize, text)) {
    case ReadResult::Ok:
        return true;
    case ReadResult::TooLarge:
        // The parser reports the excess; one byte more than a profile may have
        // is enough for it to see.
        text = QByteArray(int(kMaxFileSize) + 1, ' ');
        return true;
    case ReadResult::Missing:
    case ReadResult::NotRegular:
        return fail(error, QStringLiteral("%1 is not a file").arg(path));
    case ReadResult::Failed:
        break;
    }
    return fail(error, QStringLiteral("cannot open %1").arg(path));
}

bool readOldTxtProfileFile(const QString &path, const QString &expectedDialect, int expectedBlockSize,
                           OldTxtProfile &out, QString *error)
{
    QByteArray text;
    if (!readOldTxtProfileText(path, text, error))
        return false;
    return parseOldTxtProfile(text, expectedDialect, expectedBlockSize, out, error);
}

bool writeOldTxtProfileFile(const QString &path, const OldTxtProfile &profile)
{
    return writeFileAtomically(path, writeOldTxtProfile(profile));
}
