#pragma once

#include "platform/appdir.h"

#include <QTemporaryDir>

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
