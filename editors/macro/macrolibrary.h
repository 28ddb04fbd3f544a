#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class JsonHandle;

// The macro library on disk as both macro editors see it: the sub-folders of
// the library folder and the macro files of one folder. The tree may come
// from anywhere (a cloud download, a hand-made folder), so listing is
// bounded: symbolic links are never followed (nothing outside the library
// shows), and a folder shows at most kMaxListedMacros files. Macro names are
// what the files say; the file names themselves are never shown or built from
// what a user types.
namespace macrolibrary {

constexpr int kMaxListedFolders = 256;
constexpr int kMaxListedMacros = 1000;
// Longest name kept for a macro; longer ones are cut.
constexpr int kMaxMacroNameLength = 64;
// The folder of the user's own macros, below the library folder.
constexpr char kUserFolderName[] = "PlayerCustom";

// Names of the sub-folders of root, in name order; empty when root is not a
// folder.
QStringList folderNames(const QString &root);
// Paths of the macro files of folder (regular files, hidden ones included),
// in name order.
QStringList macroFiles(const QString &folder);
// The name to show for a macro file: its "Name" cleaned for display,
// "ErrorName" when unreadable.
QString macroName(JsonHandle &json, const QString &path);
// A name as typed or read: control characters out, blanks at both ends
// trimmed, at most kMaxMacroNameLength characters.
QString cleanMacroName(const QString &name);
// Whether path names a file directly inside folder (after resolving both).
bool isDirectlyInside(const QString &path, const QString &folder);
// Whether both name the same existing folder.
bool isSameFolder(const QString &a, const QString &b);
// A path for a new macro in folder, named by the time ("yyyyMMddhhmmsszzz"
// + ".json"); a later millisecond is taken while the name is in use, so two
// quick creations never share a file.
QString newMacroFilePath(const QString &folder, const QDateTime &now);

} // namespace macrolibrary
