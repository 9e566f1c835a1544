#include "platform/posix/PosixLog.h"

namespace kv::platform::posix {

Q_LOGGING_CATEGORY(lcPosix, "kv.platform.posix")

} // namespace kv::platform::posix
