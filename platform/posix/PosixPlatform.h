#pragma once

#include "platform/Platform.h"
#include "platform/posix/WineFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineProcesses.h"
#include "platform/posix/WineSystem.h"

#include <memory>

namespace kv::platform::posix {

// The Windows environment of one Wine prefix: owns the registry it is given and the file
// system, system and process services built on it.
class PosixPlatform
{
public:
    struct Options
    {
        QString programFolder;   // "" for C:\Program Files\Korvane
        WineSystem::Clock clock; // empty for the real local time
        WineProcesses::Options processes;
    };

    PosixPlatform(WinePrefix prefix, std::unique_ptr<IRegistry> registry);
    PosixPlatform(WinePrefix prefix, std::unique_ptr<IRegistry> registry, Options options);

    PosixPlatform(const PosixPlatform&) = delete;
    PosixPlatform& operator=(const PosixPlatform&) = delete;

    // The prefix's own environment: its registry files through WineRegistry.
    static std::unique_ptr<PosixPlatform> forPrefix(const QString& folder, Options options = {});

    const WinePrefix& prefix() const { return m_prefix; }
    Platform services();

private:
    WinePrefix m_prefix;
    std::unique_ptr<IRegistry> m_registry;
    WineFileSystem m_files;
    WineSystem m_system;
    WineProcesses m_processes;
};

} // namespace kv::platform::posix
