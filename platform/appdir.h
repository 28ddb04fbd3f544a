#pragma once

#include <QString>

// Where APP (the application directory of every stored file) is.
//
// Policy, first match wins:
//   1. the OX8_APP_DIR environment variable (tests, several setups side by side);
//   2. a directory set with setAppDirectory (tests);
//   3. portable run: the executable's folder when it is writable (build tree,
//      an unpacked archive);
//   4. installed run: the per-user data directory (~/.local/share/OX8Driver),
//      seeded on first use from the read-only installed data
//      (<prefix>/share/ox8driver) without overwriting anything.
QString appDirectory();

// Overrides the policy above (except the environment variable). An empty
// string restores it.
void setAppDirectory(const QString &dir);

// Copies every file below from into to that does not exist there yet.
// Returns false when a file could not be copied.
bool seedDirectory(const QString &from, const QString &to);

// The read-only data folder of an installed program, or empty when none
// exists next to the executable (../share/ox8driver).
QString installedDataDirectory();

// True when dir exists (or can be created) and a file can be written in it.
bool isDirectoryWritable(const QString &dir);
