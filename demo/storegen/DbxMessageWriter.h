#pragma once

#include "DbxFileWriter.h"
#include "MailMessage.h"
#include "StandardFolders.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kv::storegen {

// Writes one message folder (".dbx"), streaming: open, add messages in order, finish.
// Each message gets a record with the attributes the client keeps (id, flags, times,
// first data block, subjects, sender and recipient, size, account) and its text as a block
// chain; the index tree is built over the records by message id when the file is finished.
class DbxMessageWriter
{
public:
    struct Options
    {
        // Store every first-block offset indirectly (attribute 0x04), as the client must
        // for offsets at or beyond 16 MiB, which get it whatever this says.
        bool indirectOffsets = false;
        QByteArray accountName = "pop.example.com";
        QByteArray accountKey = "00000001";
        SpecialFolder specialFolder = SpecialFolder::None;
    };

    DbxMessageWriter();
    explicit DbxMessageWriter(Options options);

    bool open(const QString& path, const QByteArray& folderName);
    bool add(const MailMessage& message);
    bool finish();

    const QString& error() const { return m_file.error(); }
    int treeDepth() const { return m_file.treeDepth(0); }
    std::uint32_t indirectCount() const { return m_indirect; }

    // Convenience: a whole folder in one call.
    static bool write(const QString& path, const QByteArray& folderName,
                      const std::vector<MailMessage>& messages, const Options& options);
    static bool write(const QString& path, const QByteArray& folderName,
                      const std::vector<MailMessage>& messages);

private:
    Options m_options;
    DbxFileWriter m_file;
    QByteArray m_folderName;
    std::vector<std::uint32_t> m_records;
    std::uint32_t m_nextId = 2;
    std::uint32_t m_indirect = 0;
};

} // namespace kv::storegen
