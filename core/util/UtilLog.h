#pragma once

#include <QLoggingCategory>

namespace kv {

// Log lines of the shared file, text and system helpers.
Q_DECLARE_LOGGING_CATEGORY(lcUtil)

} // namespace kv
