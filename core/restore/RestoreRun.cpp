#include "restore/RestoreRun.h"
