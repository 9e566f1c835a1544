#include "oeenv/OeEnvLog.h"

Q_LOGGING_CATEGORY(lcOeEnv, "kv.oeenv")
