#pragma once

#include <QLoggingCategory>

namespace kv::platform::posix {

Q_DECLARE_LOGGING_CATEGORY(lcPosix)

} // namespace kv::platform::posix
