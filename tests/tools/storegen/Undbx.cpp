#include "Undbx.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kv::test {

bool undbxAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("undbx")).isEmpty();
}

std::vector<std::string> digests(const std::vector<QByteArray>& messages)
{
    std::vector<std::string> out;
    for (const QByteArray& m : messages)
        out.push_back(QCryptographicHash::hash(m, QCryptographicHash::Sha1).toHex().left(12).toStdString());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> undbxDigests(const QString& input, const QString& outDir, QString* error)
{
    QProcess p;
    p.start(QStringLiteral("undbx"), {input, outDir});
    if (!p.waitForFinished(120000)) {
        if (error)
            *error = QStringLiteral("undbx did not finish: %1").arg(p.errorString());
        return {};
    }
    // undbx names its files after 8-bit sender and subject texts, which are no valid UTF-8:
    // walk them as raw bytes and remove them, so the scratch folder can go afterwards.
    std::vector<QByteArray> messages;
    const std::filesystem::path root(outDir.toStdString());
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().string();
        if (!it->is_regular_file() || name.find("/deleted/") != std::string::npos
            || it->path().extension() != ".eml")
            continue;
        std::ifstream in(it->path(), std::ios::binary);
        messages.emplace_back(QByteArray::fromStdString(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())));
    }
    std::filesystem::remove_all(root, ec);
    return digests(messages);
}

} // namespace kv::test
