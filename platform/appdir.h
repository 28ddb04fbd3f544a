#pragma once

#include <QString>
#include <QStringList>

// Where APP (the application directory of every stored file) is.
//
// Policy, first match wins:
//   1. the OX8_APP_DIR environment variable (tests, several setups side by side);
//   2. a directory set with setAppDirectory (tests);
//   3. portable run: the executable's folder when it is writable and no
//      installed data lies beside it (build tree, an unpacked archive);
//   4. installed run: the per-user data directory (~/.local/share/OX8Driver),
//      seeded at every start from the read-only installed data
//      (<prefix>/share/ox8driver): files the user lacks are added, the
//      program's own data (seededRefreshFolders) follows the installed
//      version, and nothing else the user has is ever overwritten.
QString appDirectory();

// Steps 3 and 4 for an executable in exeDir and the user's data folder base
// (~/.local/share): APP, seeded when the program is installed. Problems
// (seeding failed, APP not writable) are added to warnings, not logged: the
// log handler itself asks for APP.
QString resolveAppDirectory(const QString &exeDir, const QString &userDataBase, QStringList *warnings = nullptr);

// Overrides the policy above (except the environment variable). An empty
// string restores it.
void setAppDirectory(const QString &dir);

// The folders below APP that hold the program's own data rather than the
// user's (the language file, fonts): a newer installed copy replaces them.
QStringList seededRefreshFolders();

// Copies every regular file below from into to that does not exist there
// yet. Files below one of the refreshFolders (relative, e.g. "Language") are
// also replaced when their content differs from the source. A link, folder
// or anything but a regular file in the way is left alone and never written
// through. Returns false when a file could not be copied.
bool seedDirectory(const QString &from, const QString &to, const QStringList &refreshFolders = QStringList());

// The read-only data folder of an installed program, or empty when none
// exists next to the executable (../share/ox8driver).
QString installedDataDirectory();

// True when dir exists (or can be created) and a file can be written in it.
bool isDirectoryWritable(const QString &dir);
