#include "restore/RestoreLog.h"

Q_LOGGING_CATEGORY(lcRestore, "kv.restore")
