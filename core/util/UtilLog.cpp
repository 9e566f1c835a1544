#include "util/UtilLog.h"

namespace kv {

Q_LOGGING_CATEGORY(lcUtil, "kv.util")

} // namespace kv
