#pragma once

#include "CliCommand.h"

#include "platform/posix/PosixPlatform.h"

#include <memory>

namespace kv::cli {

// The Windows environment a command works on: --prefix DIR, --demo (made on first use), else
// $WINEPREFIX, then ~/.wine. The folder is made absolute here, once for every command, since
// the platform maps Windows paths below it. Null after a message when there is none; code then
// holds the exit code.
std::unique_ptr<platform::posix::PosixPlatform> openEnvironment(const CliContext& ctx,
                                                                ExitCode* code);

} // namespace kv::cli
