#pragma once

#include <QString>

// The operations on Windows paths ("C:\dir\file.ext") that the whole program shares. Paths are
// compared without regard to case, as Windows compares them.
namespace kv::winpath {

// folder + "\" + name, without doubling a "\" that the folder already ends with.
QString join(const QString& folder, const QString& name);
// The folder part: "C:\a\b" -> "C:\a", "C:\a" -> "C:\", "a" -> "".
QString parent(const QString& path);
// The last component: "C:\a\b.txt" -> "b.txt".
QString fileName(const QString& path);
// True when the text holds "*" or "?".
bool hasWildcard(const QString& path);
// "C:", "C:\" and "\\server\share" (with or without its "\").
bool isRoot(const QString& path);
// Every trailing "\" removed, except the one of a drive root ("C:" gets one).
QString clean(const QString& path);
// Exactly one trailing "\" removed when there is one, a drive root's too ("C:\" -> "C:"): the
// folder then takes "\" and a name without doubling it.
QString removeTrailingBackslash(const QString& path);
// One "\" added unless the path already ends with one.
QString withTrailingBackslash(const QString& path);
// The path without its drive and leading "\", "/" read as "\": "C:\a\b" -> "a\b",
// "\\server\share\f" -> "server\share\f".
QString withoutDrive(const QString& path);
bool samePath(const QString& a, const QString& b);
// True when path lies below folder (not when it is the folder itself).
bool isInside(const QString& path, const QString& folder);

} // namespace kv::winpath
