#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

// Delivers password-recovery codes: with a mail command, the message (with
// its To and Subject headers) goes to the command's standard input, as
// "sendmail -t" expects; without one, or when the command fails, it becomes
// one file in the outbox folder for the operator to forward. Codes never
// appear in an API answer or in the log. Thread-safe.
namespace ox8cloud {

class Mailer
{
public:
    // mailCommand: program and arguments, split at spaces with "double
    // quotes" grouping words (QProcess::splitCommand), run without a shell;
    // empty for the outbox only.
    Mailer(const QString &outboxDir, const QString &mailCommand);

    bool send(const QString &to, const QString &subject, const QString &text);

private:
    bool runCommand(const QByteArray &message);
    bool writeToOutbox(const QByteArray &message);

    QString m_outboxDir;
    QString m_program;
    QStringList m_arguments;
    std::atomic<quint64> m_sequence{0};
};

} // namespace ox8cloud
