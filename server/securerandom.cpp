#include "server/securerandom.h"

#include <cerrno>
#include <sys/random.h>

namespace ox8cloud {

bool fillRandom(void *buffer, std::size_t length)
{
    auto *out = static_cast<unsigned char *>(buffer);
    std::size_t done = 0;
    // getrandom returns at most 32 MiB per call and may be interrupted;
    // a bounded number of rounds covers both.
    for (int round = 0; done < length && round < 64; ++round) {
        const ssize_t n = getrandom(out + done, length - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += std::size_t(n);
    }
    return done == length;
}

QByteArray randomBytes(int length)
{
    if (length <= 0)
        return {};
    QByteArray bytes(length, '\0');
    if (!fillRandom(bytes.data(), std::size_t(length)))
        return {};
    return bytes;
}

QString randomHex(int length)
{
    const QByteArray bytes = randomBytes(length);
    if (bytes.isEmpty())
        return {};
    return QString::fromLatin1(bytes.toHex());
}

QString randomDigits(int count)
{
    QString digits;
    digits.reserve(count);
    // Rejection sampling: bytes 250..255 would favour 0..5.
    for (int guard = 0; digits.size() < count && guard < 64; ++guard) {
        const QByteArray bytes = randomBytes(count * 2);
        if (bytes.isEmpty())
            return {};
        for (const char c : bytes) {
            const unsigned char b = static_cast<unsigned char>(c);
            if (b < 250 && digits.size() < count)
                digits.append(QChar('0' + b % 10));
        }
    }
    return digits.size() == count ? digits : QString();
}

} // namespace ox8cloud
