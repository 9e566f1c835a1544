#pragma once

#include <QString>

namespace kv::demo {

// The demo's Windows environment, shared by the desktop program and the command line.
QString demoPrefixFolder();

// Makes the demo environment in folder unless one is there already. False with a message in
// error when it cannot be made; created tells whether this call made it.
bool ensureDemoPrefix(const QString& folder, QString* error, bool* created = nullptr);

} // namespace kv::demo
