#pragma once

#include <QByteArray>
#include <QString>

namespace kv::msgstore {

// Writes one extracted message: folder with one trailing "/" removed and one added, missing
// folders created, an existing file of that name deleted first (so no old bytes remain past
// the new end), then the parts written one after another. A file left half-written by a failed
// write is removed. Returns false with a message in error.
bool writeMessageFile(const QString& folder, const QString& fileName, const QByteArray& first,
                      const QByteArray& second, QString* error);

// The path writeMessageFile writes to.
QString messageFilePath(const QString& folder, const QString& fileName);

} // namespace kv::msgstore
