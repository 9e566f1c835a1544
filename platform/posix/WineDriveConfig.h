#pragma once

#include "platform/IFileSystem.h"
#include "platform/IRegistry.h"

#include <QChar>

namespace kv::platform::posix {

// The prefix's drive configuration: Wine's drive types (HKLM\Software\Wine\Drives,
// "a:"="floppy", "cdrom", "network", "ramdisk", "hd"; Fixed when unset) and the capacity of
// emulated diskettes (DWORD or QWORD "a:" under HKLM\Software\Korvane\Emulation\Drives).
class WineDriveConfig
{
public:
    static constexpr quint64 kDefaultDisketteCapacity = 1457664;

    explicit WineDriveConfig(IRegistry& registry) : m_registry(registry) {}

    DriveType type(QChar letter);
    // The capacity of an emulated diskette drive, or 0 for a drive without a capacity limit.
    quint64 capacity(QChar letter);

private:
    IRegistry& m_registry;
};

} // namespace kv::platform::posix
