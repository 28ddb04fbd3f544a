#pragma once

#include <QString>

// The administration commands: publish a firmware or software version (with
// its package, copied into the data folder) for /v1/driver/version, and list
// what is published. Each returns the process exit code (0 done, 1 failure,
// 2 bad input) and a message for the operator.
namespace ox8cloud {

class DataFolder;
class Store;

// sourceFile may be empty (then downloadUrl, which may be empty too, is sent
// as the download URL). date empty: today, "yyyy-MM-dd".
int publishVersion(Store &store, const DataFolder &data, const QString &versionType, const QString &version,
                   const QString &sourceFile, const QString &downloadUrl, const QString &date, qint64 now,
                   QString *message);
int listVersions(Store &store, QString *listing);

} // namespace ox8cloud
