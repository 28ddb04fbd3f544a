#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Registers one font file; returns a font of its first family, or a default
// font when the file cannot be used.
QFont loadApplicationFont(const QString &path);
// Registers every regular file of dir (no links); returns how many worked.
int loadApplicationFonts(const QString &dir);

// Picks the language of the system locale and fills the language table
// from the translation file. Returns the language index chosen.
int loadSysLanguage();
// The same for a given QLocale::Language value and translation file. With a
// builtInFile, a translation file that is missing or damaged is replaced by
// that one, and texts it lacks (an older copy) are taken from it, so the
// window is never blank; both are logged.
int loadLanguage(int qlocaleLanguage, const QString &translateFile, const QString &builtInFile = QString());

// The language file compiled into the executable.
extern const char *const kBuiltInTranslateFile;

// What ox8driver --help prints (the man page is made from it).
extern const char *const kCommandLineHelp;

// Application identity.
extern const char *const kApplicationName;
extern const char *const kApplicationVersion;
extern const char *const kSingleInstanceKey;
