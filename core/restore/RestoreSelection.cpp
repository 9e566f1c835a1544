#include "restore/RestoreSelection.h"

namespace kv {

bool RestoreSelection::settingsGroupsMarked() const
{
    return false;
}

} // namespace kv
