#include "backup/WizardLog.h"

Q_LOGGING_CATEGORY(lcWizard, "kv.backup.wizard")
