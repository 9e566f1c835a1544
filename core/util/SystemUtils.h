#pragma once

#include "platform/IFileSystem.h"
#include "platform/IProcesses.h"
#include "platform/ISystem.h"

#include <QString>

// The small system and path functions the whole program shares. The path tests never fail
// loudly: any error gives False.
namespace kv::SystemUtils {

// False for an empty path and for one holding "*" or "?"; otherwise whether the path exists and
// is a folder (folderExists, a trailing "\" allowed) or is not one (fileExists).
bool folderExists(platform::IFileSystem& files, const QString& path);
bool fileExists(platform::IFileSystem& files, const QString& path);
// One silent delete without confirmation, not to the Recycle Bin (a wild card in the last
// component deletes every match). True when everything was deleted.
bool deleteFile(platform::IFileSystem& files, const QString& path);
// As deleteFile, but to the Recycle Bin.
bool recycleFile(platform::IFileSystem& files, const QString& path);

// Windows folder, then system folder, followed by "\notepad.exe"; "" when neither holds it.
QString findNotepad(platform::IFileSystem& files, platform::ISystem& system);
// Starts the command line and waits until it has ended. True when it started.
bool runAndWait(platform::IProcesses& processes, const QString& commandLine);
// The first top-level window whose title and class name match the wild-card patterns ("*", "?",
// "#", sets), compared without regard to case; 0 when none.
platform::WindowHandle findWindow(platform::IProcesses& processes, const QString& titlePattern,
                                  const QString& classPattern);

// "high.low" of a 32-bit version word, or "low" alone when the high half is 0.
QString versionWordText(quint32 value);
// The file's fixed version as "5.0 rev 2919.6600"; "" when it has none or cannot be read.
QString fileVersionText(platform::IFileSystem& files, const QString& path);

// The shared Windows version record, read from the system on first use.
platform::WindowsVersion windowsVersion(platform::ISystem& system);
// Reads the record again (the start-up fills it; tests reset it).
platform::WindowsVersion refreshWindowsVersion(platform::ISystem& system);

} // namespace kv::SystemUtils
