#include "GuiLog.h"

Q_LOGGING_CATEGORY(lcGui, "kv.gui")
