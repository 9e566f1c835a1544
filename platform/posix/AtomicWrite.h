#pragma once

#include "platform/WinError.h"

#include <QByteArray>
#include <QString>

namespace kv::platform::posix {

// Replaces a file's content all at once: the bytes go to a temporary file in the same folder,
// are synced to disk, and the temporary file is renamed over the target, so a reader sees
// either the old or the new content and a failure leaves the old file as it was. A target
// reached through a symbolic link is replaced at the link's destination; the link stays.
// The new file keeps the old one's permissions. On failure `errorText` says why.
WinError writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText);

// The Win32 code closest to a POSIX errno value.
WinError winErrorFromErrno(int error);

} // namespace kv::platform::posix
