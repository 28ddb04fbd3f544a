#pragma once

#include <QByteArray>
#include <QString>

// The data folder's layout and its file writes. Paths are built only from
// ids and names that passed the checks of validation.h, never from raw
// request text; every file is written to a temporary file and renamed into
// place, so a crash leaves the old content or the new, never half.
namespace ox8cloud {

class DataFolder
{
public:
    explicit DataFolder(const QString &root);

    // Creates the folder and its sub-folders, private to this user.
    bool prepare(QString *error) const;

    QString root() const { return m_root; }
    QString outboxDir() const;
    QString analyticsFile() const;
    // DATA/files/<user id>/<file id>.zip; empty for ids that are not hex ids.
    QString archivePath(const QString &userId, const QString &fileId) const;
    // DATA/packages/<versionType>/<version>/<file>; empty for unsafe names.
    QString packagePath(const QString &versionType, const QString &version, const QString &fileName) const;

    static bool writeAtomically(const QString &path, const QByteArray &data);

private:
    QString m_root;
};

} // namespace ox8cloud
