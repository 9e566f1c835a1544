#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace kv::test {

// Runs the Debian undbx extractor on a .dbx file or a folder and returns the SHA-1 of every
// message it wrote (its "deleted" folder left out), sorted. undbx exits 0 even when it fails,
// so callers compare these contents, never its exit code.
std::vector<std::string> undbxDigests(const QString& input, const QString& outDir, QString* error);
bool undbxAvailable();
// Sorted SHA-1 digests of a list of messages, to compare with the above.
std::vector<std::string> digests(const std::vector<QByteArray>& messages);

} // namespace kv::test
