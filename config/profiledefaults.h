#pragma once

#include <QByteArray>

// Factory settings blocks of every model with a default profile (the model
// table's factoryProfile). Empty when the type code has no block in that
// dialect.
QByteArray haldenDefaultBlock(int mouseType);  // 234 bytes: codes 2, 3, 4, 5, 6, 13, 18
QByteArray korvanDefaultBlock(int mouseType);  // 128 bytes: codes 7..12, 14

// Whether the type code has a default block in the Korvan dialect (family A).
bool isKorvanDialect(int mouseType);
