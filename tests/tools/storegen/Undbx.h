#pragma once

#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kv::test {

inline bool undbxAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("undbx")).isEmpty();
}

inline std::vector<std::string> digests(const std::vector<QByteArray>& messages)
{
    std::vector<std::string> out;
    for (const QByteArray& m : messages)
        out.push_back(QCryptographicHash::hash(m, QCryptographicHash::Sha1).toHex().toStdString());
    std::sort(out.begin(), out.end());
    return out;
}

// The digests of the messages undbx writes from a .dbx file or folder ("deleted" left out), or
// why it failed. Its file names are not UTF-8, so they are walked and removed as raw bytes.
inline std::vector<std::string> undbxDigests(const QString& input, const QString& outDir)
{
    QProcess p;
    p.start(QStringLiteral("undbx"), {input, outDir});
    if (!p.waitForFinished(120000))
        return {"undbx did not finish: " + p.errorString().toStdString()};
    std::vector<QByteArray> messages;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(outDir.toStdString(), ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".eml" &&
            it->path().string().find("/deleted/") == std::string::npos) {
            std::ifstream in(it->path(), std::ios::binary);
            messages.push_back(QByteArray::fromStdString(
                {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}));
        }
    }
    std::filesystem::remove_all(outDir.toStdString(), ec);
    return digests(messages);
}

} // namespace kv::test
