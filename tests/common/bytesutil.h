#pragma once

#include <QByteArray>

#include <initializer_list>

// Bytes written as hex text in a test table ("ba ff a4" or "baffa4").
inline QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

// Bytes written as numbers in a test table ({0xBA, 0xFF, 0xA4}).
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
