#include "backup/BackupLog.h"

Q_LOGGING_CATEGORY(lcBackup, "kv.backup")
