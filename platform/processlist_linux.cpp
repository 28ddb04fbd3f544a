#include "platform/processlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ProcessList::ProcessList(const QString &procRoot)
    : m_root(procRoot)
{
}

QVector<qint64> ProcessList::processIds() const
{
    QVector<qint64> ids;
    const QStringList entries = QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        bool ok = false;
        const qint64 pid = e.toLongLong(&ok);
        if (ok && pid > 0)
            ids.append(pid);
    }
    return ids;
}

namespace {
// Last path component, for both '/' and '\' separated names.
QString baseName(const QString &path)
{
    const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? path : path.mid(slash + 1);
}
} // namespace

QString ProcessList::processName(qint64 pid) const
{
    const QString dir = m_root + QLatin1Char('/') + QString::number(pid);

    // argv[0] first: it names a Windows program run under Wine, where the
    // executable itself is the loader.
    QFile cmdline(dir + QStringLiteral("/cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray data = cmdline.read(4096);
        const int end = data.indexOf('\0');
        const QString arg0 = QString::fromLocal8Bit(end < 0 ? data : data.left(end));
        if (arg0.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
            return baseName(arg0);
    }

    const QString exe = QFileInfo(dir + QStringLiteral("/exe")).symLinkTarget();
    if (!exe.isEmpty())
        return baseName(exe);

    QFile comm(dir + QStringLiteral("/comm"));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.readAll()).trimmed();
    return QString();
}
