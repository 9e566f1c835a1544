#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace kv::storegen {

// Writes the container shared by every ".dbx" file: the 0x24BC-byte header, the file-info
// block, and objects allocated the way the client allocates them, from three kinds of
// segments that are appended to the file as they fill: records and texts (48 KiB), index
// nodes (25 nodes), message data blocks (120 blocks of 512 bytes). The header keeps the
// current segment of each kind, the bytes allocated per object type, the trees' counts
// and roots, and the logical end; the file itself grows in 64 KiB steps.
class DbxFileWriter
{
public:
    enum class Kind
    {
        Messages,
        Folders,
        Pop3Uidl,
        Offline
    };

    static constexpr std::uint32_t kHeaderSize = 0x24BC;
    static constexpr std::uint32_t kNodeSize = 0x27C;
    static constexpr std::uint32_t kBlockSize = 0x210;
    static constexpr std::uint32_t kBlockData = 0x200;

    explicit DbxFileWriter(Kind kind);

    bool open(const QString& path);
    // The file-info block that follows the header (the client's store and folder names).
    void setFileInfo(const QByteArray& info);
    // A record object: 12-byte header (own offset, body length, 0, attribute count,
    // change counter) and the body from DbxRecord. Returns its offset.
    std::uint32_t writeRecord(const QByteArray& body, int attributeCount);
    // The message text as a chain of full 512-byte blocks, the last one partly used.
    // Returns the first block's offset.
    std::uint32_t writeBlocks(const QByteArray& text);
    // Builds and writes index tree `index` (0..2) over record offsets given in key order.
    void writeTree(int index, const std::vector<std::uint32_t>& recordsInKeyOrder);
    void setLastId(std::uint32_t id) { m_lastId = id; }
    bool finish();

    const QString& error() const { return m_error; }
    int treeDepth(int index) const { return m_treeDepth[size_t(index)]; }

private:
    enum class SegmentKind
    {
        Records,
        Nodes,
        Blocks
    };
    static constexpr size_t kSegmentKinds = 3;
    // The header keeps the bytes allocated per type, indexed by these numbers.
    enum class ObjectType
    {
        Record = 0,
        Text = 1,
        Node = 4,
        Block = 5
    };
    struct Segment
    {
        std::uint32_t start = 0;
        std::uint32_t size = 0;
        std::uint32_t used = 0;
    };

    std::uint32_t alloc(SegmentKind kind, std::uint32_t size, ObjectType type);
    std::uint32_t writeText(const QByteArray& text);
    void writeAt(std::uint32_t offset, const QByteArray& bytes);
    QByteArray header() const;

    Kind m_kind;
    QFile m_file;
    QString m_error;
    QByteArray m_fileInfo;
    std::uint32_t m_dataStart = 0;
    std::uint32_t m_end = 0;
    std::array<Segment, kSegmentKinds> m_segs{};
    std::array<std::uint32_t, 6> m_allocated{};
    std::array<std::uint32_t, 3> m_counts{};
    std::array<std::uint32_t, 3> m_roots{};
    std::array<std::uint32_t, 3> m_filters{};
    std::array<int, 3> m_treeDepth{};
    std::uint32_t m_lastId = 0;
    bool m_failed = false;
};

} // namespace kv::storegen
