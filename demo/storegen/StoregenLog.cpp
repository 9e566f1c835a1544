#include "StoregenLog.h"

Q_LOGGING_CATEGORY(lcStoregen, "kv.storegen")
