#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Randomness for tokens, ids, salts and recovery codes, taken from the
// kernel's CSPRNG (getrandom), never from a seeded generator. Each function
// fails (false or empty) rather than return weak values.
namespace ox8cloud {

bool fillRandom(void *buffer, std::size_t length);
QByteArray randomBytes(int length);
// length random bytes as 2 * length lower-case hex digits.
QString randomHex(int length);
// count decimal digits, each uniform over 0..9.
QString randomDigits(int count);

} // namespace ox8cloud
