#pragma once

#include <QByteArray>

// Bytes written as hex text in a test table ("ba ff a4" or "baffa4").
inline QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}
