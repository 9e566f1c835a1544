#include "backup/InventoryLog.h"

Q_LOGGING_CATEGORY(lcInventory, "kv.backup.inventory")
