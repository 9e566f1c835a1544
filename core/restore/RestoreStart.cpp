#include "restore/RestoreStart.h"
