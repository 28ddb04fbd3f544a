#include "server/mailer.h"

#include "server/datafolder.h"
#include "server/securerandom.h"
#include "server/serverlog.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>

namespace ox8cloud {

Mailer::Mailer(const QString &outboxDir, const QString &mailCommand)
    : m_outboxDir(outboxDir)
{
    const QStringList parts = QProcess::splitCommand(mailCommand);
    if (!parts.isEmpty()) {
        m_program = parts.first();
        m_arguments = parts.mid(1);
    }
}

bool Mailer::send(const QString &to, const QString &subject, const QString &text)
{
    // The address passed isValidEmail, but a header must never carry a line break.
    if (to.contains(QLatin1Char('\r')) || to.contains(QLatin1Char('\n')) || subject.contains(QLatin1Char('\n')))
        return false;
    const QByteArray message = "To: " + to.toUtf8() + "\r\nSubject: " + subject.toUtf8()
        + "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + text.toUtf8() + "\r\n";
    if (!m_program.isEmpty()) {
        if (runCommand(message))
            return true;
        logLine(QStringLiteral("mail command failed; the message goes to the outbox instead"));
    }
    return writeToOutbox(message);
}

bool Mailer::runCommand(const QByteArray &message)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(m_program, m_arguments);
    if (!process.waitForStarted(10000))
        return false;
    process.write(message);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(5000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Mailer::writeToOutbox(const QByteArray &message)
{
    // Names sort in the order the messages were written.
    const QString name = QStringLiteral("%1-%2-%3.eml")
                             .arg(QDateTime::currentMSecsSinceEpoch(), 13, 10, QLatin1Char('0'))
                             .arg(m_sequence.fetch_add(1), 8, 10, QLatin1Char('0'))
                             .arg(randomHex(4));
    const QString path = QDir(m_outboxDir).filePath(name);
    if (!DataFolder::writeAtomically(path, message)) {
        logLine(QStringLiteral("cannot write a message to the outbox %1").arg(m_outboxDir));
        return false;
    }
    return true;
}

} // namespace ox8cloud
