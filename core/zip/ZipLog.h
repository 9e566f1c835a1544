#pragma once

#include <QLoggingCategory>

namespace kv::zip {
Q_DECLARE_LOGGING_CATEGORY(lcZip)
}
