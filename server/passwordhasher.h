#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>

// Argon2id password hashes in their self-describing string form
// ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), so a later change of the
// cost still verifies older hashes. Every hash takes memoryKiB of memory
// and a core for tens of milliseconds, so at most `parallel` run at once;
// callers on other threads wait their turn. Thread-safe.
namespace ox8cloud {

struct Argon2Cost
{
    std::uint32_t timeCost = 2;
    std::uint32_t memoryKiB = 19456;
    std::uint32_t lanes = 1;
};

class PasswordHasher
{
public:
    explicit PasswordHasher(Argon2Cost cost = {}, int parallel = 2);

    // Empty on failure (no randomness, out of memory).
    QString hash(const QString &password) const;
    bool verify(const QString &encoded, const QString &password) const;
    // Spends the time of a verification without an account, so a login for an
    // unknown e-mail answers as slowly as a wrong password.
    void spendVerificationTime(const QString &password) const;

    // Longest password worth hashing; longer input is refused unhashed.
    static constexpr int MaxPasswordBytes = 1024;

private:
    void acquire() const;
    void release() const;

    Argon2Cost m_cost;
    int m_parallel;
    QString m_decoy;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_free;
    mutable int m_running = 0;
};

} // namespace ox8cloud
