#include "DbxMessageWriter.h"

#include "DbxRecord.h"
#include "Le.h"

namespace kv::storegen {

namespace {

constexpr std::uint32_t kFlagRead = 0x80;
constexpr std::uint32_t kFlagDownloaded = 0x01;
constexpr std::uint32_t kFlagAttachment = 0x4000;
// A high flag the client sets on messages it fetched itself; it pushes the flags word
// beyond 24 bits, so such records store their flags indirectly.
constexpr std::uint32_t kFlagFetched = 0x01000000;
constexpr std::uint64_t kTicksPerMinute = 600000000ull;

QByteArray normalizedSubject(const QByteArray& subject)
{
    QByteArray s = subject;
    while (s.startsWith("Re: ") || s.startsWith("RE: ") || s.startsWith("Fw: ") ||
           s.startsWith("FW: "))
        s = s.mid(4);
    return s;
}

// The client's view state of the folder; a folder never opened holds only the store and
// folder names, the special-folder number and a few fixed words.
QByteArray messageFolderInfo(const QByteArray& folderName, SpecialFolder special, bool hasMessages)
{
    QByteArray info(0x618, '\0');
    putU32(info, 0, 1);
    info[4] = 3;
    putBytes(info, 5, QByteArray("LocalStore"));
    putBytes(info, 0x105, folderName.left(0xFF));
    putU32(info, 0x208, std::uint32_t(special));
    putU32(info, 0x210, 3);
    putU32(info, 0x21C, 0xFFA);
    putU32(info, 0x224, 5);
    putU16(info, 0x34A, 1);
    if (hasMessages) {
        putU32(info, 0x214, 1);
        putU32(info, 0x220, 4);
        putU16(info, 0x348, 1);
    }
    return info;
}

} // namespace

DbxMessageWriter::DbxMessageWriter() : DbxMessageWriter(Options{}) {}

DbxMessageWriter::DbxMessageWriter(Options options)
    : m_options(std::move(options)), m_file(DbxFileWriter::Kind::Messages)
{
}

bool DbxMessageWriter::open(const QString& path, const QByteArray& folderName)
{
    m_folderName = folderName;
    m_file.setFileInfo(messageFolderInfo(folderName, m_options.specialFolder, false));
    // Ids start at 2; the header keeps the last id given, 1 in a folder never written to.
    m_file.setLastId(1);
    return m_file.open(path);
}

bool DbxMessageWriter::add(const MailMessage& m)
{
    const std::uint32_t id = m_nextId++;
    const std::uint32_t firstBlock = m_file.writeBlocks(m.raw);
    const bool indirect = m_options.indirectOffsets || firstBlock >= (1u << 24);

    std::uint32_t flags =
        kFlagDownloaded | (m.read ? kFlagRead : 0) | (m.hasAttachment ? kFlagAttachment : 0);
    // Readers find an indirect first-block offset as the third word of the data area,
    // after the 8-byte receive time; that holds only while the flags are stored directly.
    if (!indirect && id % 3 == 0)
        flags |= kFlagFetched;

    DbxRecord r;
    r.addInt(0x00, id);
    r.addInt(0x01, flags);
    r.addTime(0x02, m.fileTime);
    if (indirect) {
        r.addIndirectInt(0x04, firstBlock);
        ++m_indirect;
    } else {
        r.addDirectInt(0x04, firstBlock);
    }
    r.addText(0x05, normalizedSubject(m.subject));
    r.addTime(0x06, m.fileTime + kTicksPerMinute);
    r.addText(0x07, m.messageId);
    r.addText(0x08, m.subject);
    r.addText(0x0D, m.fromName);
    r.addText(0x0E, m.fromAddress);
    r.addInt(0x10, 3);
    r.addInt(0x11, std::uint32_t(m.raw.size()));
    r.addTime(0x12, m.fileTime + 2 * kTicksPerMinute);
    r.addText(0x13, m.toName);
    r.addText(0x14, m.toAddress);
    r.addText(0x1A, m_options.accountName);
    r.addText(0x1B, m_options.accountKey);
    m_records.push_back(m_file.writeRecord(r.body(), r.attributeCount()));
    m_file.setLastId(id);
    return m_file.error().isEmpty();
}

bool DbxMessageWriter::finish()
{
    m_file.setFileInfo(
        messageFolderInfo(m_folderName, m_options.specialFolder, !m_records.empty()));
    m_file.writeTree(0, m_records);
    return m_file.finish();
}

bool DbxMessageWriter::write(const QString& path, const QByteArray& folderName,
                             const std::vector<MailMessage>& messages)
{
    return write(path, folderName, messages, Options{});
}

bool DbxMessageWriter::write(const QString& path, const QByteArray& folderName,
                             const std::vector<MailMessage>& messages, const Options& options)
{
    DbxMessageWriter w(options);
    if (!w.open(path, folderName))
        return false;
    for (const MailMessage& m : messages)
        if (!w.add(m))
            return false;
    return w.finish();
}

} // namespace kv::storegen
