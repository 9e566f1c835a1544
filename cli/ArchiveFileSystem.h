#pragma once

#include "platform/IFileSystem.h"

#include <QString>

#include <memory>

namespace kv::cli {

// The Windows file system the archive command works on: the drives of a Wine prefix. This is
// the one place to point at the prefix's full platform once it is part of the build.
std::unique_ptr<platform::IFileSystem> makeArchiveFileSystem(const QString& prefixFolder);

} // namespace kv::cli
