#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QString>
#include <QtEndian>

// Zip archives written byte by byte, with every header field under the
// test's control (names, Unix modes, flags, sizes, checksums), so tests can
// build the hostile archives a real zip writer refuses to make; and folder
// snapshots to compare trees.

inline quint32 crc32Of(const QByteArray &data)
{
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

struct RawEntry
{
    QByteArray name;
    QByteArray data;
    quint32 mode = 0100644; // Unix mode in the upper half of the external attributes
    quint16 flags = 0;
    bool deflate = false;
    qint64 declaredSize = -1; // -1: the true size
    bool wrongCrc = false;
};

inline void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Raw deflate data: qCompress is a 4-byte length, a zlib header of 2 bytes,
// the deflate stream and a 4-byte checksum.
inline QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray z = qCompress(data, 9);
    return z.mid(6, z.size() - 10);
}

inline QByteArray buildZip(const QList<RawEntry> &entries)
{
    QByteArray out;
    QByteArray central;
    for (const RawEntry &e : entries) {
        const quint32 offset = quint32(out.size());
        const QByteArray stored = e.deflate ? rawDeflate(e.data) : e.data;
        const quint32 crc = crc32Of(e.data) ^ (e.wrongCrc ? 0x1u : 0u);
        const quint32 usize = quint32(e.declaredSize >= 0 ? e.declaredSize : e.data.size());
        const quint16 method = e.deflate ? 8 : 0;

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, e.flags);
        put16(out, method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, crc);
        put32(out, quint32(stored.size()));
        put32(out, usize);
        put16(out, quint16(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += stored;

        put32(central, 0x02014b50);
        put16(central, (3 << 8) | 20); // made on Unix
        put16(central, 20);
        put16(central, e.flags);
        put16(central, method);
        put16(central, 0);
        put16(central, 0x21);
        put32(central, crc);
        put32(central, quint32(stored.size()));
        put32(central, usize);
        put16(central, quint16(e.name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, e.mode << 16);
        put32(central, offset);
        central += e.name;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

inline RawEntry zipFile(const QByteArray &name, const QByteArray &data)
{
    RawEntry e;
    e.name = name;
    e.data = data;
    return e;
}

inline RawEntry zipFolder(const QByteArray &name)
{
    RawEntry e;
    e.name = name;
    e.mode = 040755;
    return e;
}

// Every entry below root (hidden ones too) with its bytes; folders map to "/".
inline QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = base.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            out.insert(rel, "->" + info.symLinkTarget().toUtf8());
        } else if (info.isDir()) {
            out.insert(rel, "/");
        } else {
            QFile f(info.filePath());
            f.open(QIODevice::ReadOnly);
            out.insert(rel, f.readAll());
        }
    }
    return out;
}

