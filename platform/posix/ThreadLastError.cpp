#include "platform/posix/ThreadLastError.h"

namespace kv::platform::posix {

WinError& threadLastError()
{
    thread_local WinError error = kErrorSuccess;
    return error;
}

} // namespace kv::platform::posix
