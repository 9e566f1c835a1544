#pragma once

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include <string>
#include <vector>

namespace kv::test {

inline bool undbxAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("undbx")).isEmpty();
}
// Runs undbx on a .dbx file or a folder and returns the digests of the messages it wrote (its
// "deleted" folder left out), sorted. undbx exits 0 even when it fails, so callers compare
// these, never its exit code.
std::vector<std::string> undbxDigests(const QString& input, const QString& outDir, QString* error);
// The same digests of a list of messages.
std::vector<std::string> digests(const std::vector<QByteArray>& messages);

} // namespace kv::test
