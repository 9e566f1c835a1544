#pragma once

#include "platform/IFileSystem.h"
#include "platform/IProcesses.h"
#include "platform/IRegistry.h"
#include "platform/ISystem.h"

namespace kv::platform {

// The services of the Windows environment the program runs in. Owned by whoever starts the
// program (the GUI, the command line, a test) and handed down by reference.
struct Platform
{
    IRegistry& registry;
    IFileSystem& files;
    ISystem& system;
    IProcesses& processes;
};

} // namespace kv::platform
