#pragma once

#include "platform/appdir.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

// Points APP at a fresh temporary folder for the lifetime of the object.
class TempAppDir
{
public:
    TempAppDir() { setAppDirectory(m_dir.path()); }
    ~TempAppDir() { setAppDirectory(QString()); }
    QString path() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

// The permission bits of a file or folder (as chmod takes them); -1 when
// there is nothing at path.
inline int unixMode(const QString &path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 07777);
}
