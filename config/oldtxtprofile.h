#pragma once

#include "config/jsonkeys.h"

#include <QByteArray>
#include <QMap>
#include <QString>

// The older text profile format (ConfigN.txt), shared by the family A and
// family B managers. Line based, UTF-8, '#' starts a comment line:
//
//   OX8PROFILE 1
//   dialect Korvan|Halden
//   block <hex bytes of the settings block, no spaces>
//   macro <position> <hex bytes of the macro record>     (zero or more)
//   sum <decimal byte sum of every block and macro byte, modulo 65536>
//
// A Korvan macro record is its buffer up to the size its first 16-bit field
// gives (at least 4 bytes); a Halden record is the 2 repeat bytes followed
// by the event words, low byte first. The writer cuts a whole Korvan page
// down to that size, so a manager may hand over its 4096-byte buffers.
// Macro positions are 0..255, each at most once; a file over 1 MiB, a line
// over 8256 characters or a record longer than the device takes is refused.
struct OldTxtProfile
{
    QString dialect;            // dialects::kKorvan or dialects::kHalden
    QByteArray block;
    QMap<int, QByteArray> macros; // position -> record bytes

    bool operator==(const OldTxtProfile &o) const
    {
        return dialect == o.dialect && block == o.block && macros == o.macros;
    }
};

QByteArray writeOldTxtProfile(const OldTxtProfile &profile);
// Parses a file; false with a reason in error when the text is not a valid
// profile of the expected dialect and block size (a wrong sum included).
bool parseOldTxtProfile(const QByteArray &text, const QString &expectedDialect, int expectedBlockSize,
                        OldTxtProfile &out, QString *error = nullptr);

// File helpers for the profile file modules: the read is bounded (a file over
// 1 MiB or one that cannot be read fails with a reason) and the write
// replaces the file atomically.
bool readOldTxtProfileFile(const QString &path, const QString &expectedDialect, int expectedBlockSize,
                           OldTxtProfile &out, QString *error = nullptr);
bool writeOldTxtProfileFile(const QString &path, const OldTxtProfile &profile);
// The raw text of a file, at most one byte over the 1 MiB limit (so that
// parsing refuses an over-long file); false with a reason when the path is
// not a regular file or cannot be opened.
bool readOldTxtProfileText(const QString &path, QByteArray &text, QString *error = nullptr);
