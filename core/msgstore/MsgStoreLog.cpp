#include "msgstore/MsgStoreLog.h"

Q_LOGGING_CATEGORY(lcMsgStore, "kv.msgstore")
