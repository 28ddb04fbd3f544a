#include "config/atomicfile.h"

#include <QDebug>
#include <QSaveFile>

#include <atomic>

namespace {
std::atomic<bool> g_abortBeforeCommit{false};
} // namespace

void setAtomicWriteAbortBeforeCommit(bool abort)
{
    g_abortBeforeCommit = abort;
}

bool writeFileAtomically(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qDebug() << "writeFileAtomically: cannot open" << path << file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        qDebug() << "writeFileAtomically: write failed" << path << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (g_abortBeforeCommit) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qDebug() << "writeFileAtomically: commit failed" << path << file.errorString();
        return false;
    }
    return true;
}
