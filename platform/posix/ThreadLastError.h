#pragma once

#include "platform/WinError.h"

namespace kv::platform::posix {

// The calling thread's last Win32 error, as GetLastError keeps it: the file system is used from
// the window's thread and from long operations running beside it, and each must read its own.
WinError& threadLastError();

} // namespace kv::platform::posix
