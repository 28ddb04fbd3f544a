#include "server/passwordhasher.h"

#include "server/securerandom.h"

#include <QByteArray>

#include <argon2.h>

#include <vector>

namespace ox8cloud {

namespace {
constexpr std::uint32_t SaltBytes = 16;
constexpr std::uint32_t HashBytes = 32;
constexpr int MaxEncodedLength = 512;
} // namespace

PasswordHasher::PasswordHasher(Argon2Cost cost, int parallel)
    : m_cost(cost)
    , m_parallel(parallel < 1 ? 1 : parallel)
{
    m_decoy = hash(QStringLiteral("decoy password"));
}

void PasswordHasher::acquire() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_free.wait(lock, [this] { return m_running < m_parallel; });
    ++m_running;
}

void PasswordHasher::release() const
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_running;
    }
    m_free.notify_one();
}

QString PasswordHasher::hash(const QString &password) const
{
    const QByteArray utf8 = password.toUtf8();
    if (utf8.size() > MaxPasswordBytes)
        return {};
    unsigned char salt[SaltBytes];
    if (!fillRandom(salt, sizeof salt))
        return {};
    const std::size_t length = argon2_encodedlen(m_cost.timeCost, m_cost.memoryKiB, m_cost.lanes, SaltBytes,
                                                 HashBytes, Argon2_id);
    std::vector<char> encoded(length + 1, '\0');
    acquire();
    const int rc = argon2id_hash_encoded(m_cost.timeCost, m_cost.memoryKiB, m_cost.lanes, utf8.constData(),
                                         std::size_t(utf8.size()), salt, SaltBytes, HashBytes, encoded.data(),
                                         encoded.size());
    release();
    if (rc != ARGON2_OK)
        return {};
    return QString::fromLatin1(encoded.data());
}

bool PasswordHasher::verify(const QString &encoded, const QString &password) const
{
    const QByteArray utf8 = password.toUtf8();
    const QByteArray stored = encoded.toLatin1();
    if (utf8.size() > MaxPasswordBytes || stored.size() > MaxEncodedLength || !stored.startsWith("$argon2id$"))
        return false;
    acquire();
    const int rc = argon2id_verify(stored.constData(), utf8.constData(), std::size_t(utf8.size()));
    release();
    return rc == ARGON2_OK;
}

void PasswordHasher::spendVerificationTime(const QString &password) const
{
    if (!m_decoy.isEmpty())
        verify(m_decoy, password);
}

} // namespace ox8cloud
