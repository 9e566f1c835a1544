#pragma once

#include "restore/ItemListReader.h"
#include "restore/RestoreContext.h"

namespace kv::platform {
struct Platform;
}

namespace kv {
struct MainState;
}

namespace kv::cli {

// What a restore reads of the environment itself rather than of the store: the registered
// address book, Favorites, My Documents and the system's family. The store's own facts
// (folders, identity, program folder) come from the opened session.
RestoreContext restoreContextFor(platform::Platform& platform, const MainState& state,
                                 const QString& archivePath, int restoreType);

// The item list is read as the restore will read it, so that `archive items` and `restore`
// number the rows alike (the dial-up row is left out on the NT family).
ItemListReader::Options itemListOptionsFor(const platform::Platform& platform, bool oe5);

} // namespace kv::cli
