#include "config/atomicfile.h"

#include "platform/safefile.h"

#include <QDebug>

void setAtomicWriteAbortBeforeCommit(bool abort)
{
    setReplaceAbortBeforeCommit(abort);
}

bool writeFileAtomically(const QString &path, const QByteArray &data, const QString &damageReason)
{
    QString error;
    if (!replaceFileAtomically(path, data, &error, damageReason)) {
        qDebug() << "writeFileAtomically:" << error;
        return false;
    }
    return true;
}
