#include "DbxFileWriter.h"

#include "DbxIndexTree.h"
#include "Le.h"

#include "StoregenLog.h"

namespace kv::storegen {

namespace {

constexpr std::uint32_t kSegmentSize[] = {0xC000, 25 * DbxFileWriter::kNodeSize,
                                          120 * DbxFileWriter::kBlockSize};
constexpr std::uint32_t kGrowStep = 0x10000;

// Filters of the trees that hold a subset of the objects, as the client stores them.
const char kWatchFilter[] = "((MSGCOL_FLAGS & ARF_WATCH) != 0 || (MSGCOL_FLAGS & ARF_IGNORE) != 0)";
const char kSubscribedFilter[] = "(FLDCOL_FLAGS & FOLDER_SUBSCRIBED)";

} // namespace

DbxFileWriter::DbxFileWriter(Kind kind) : m_kind(kind)
{
    m_fileInfo =
        QByteArray(kind == Kind::Messages ? 0x618 : (kind == Kind::Folders ? 0x108 : 0xFC), '\0');
    if (kind == Kind::Offline)
        m_fileInfo[0] = 1;
}

bool DbxFileWriter::open(const QString& path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QStringLiteral("cannot create %1: %2").arg(path, m_file.errorString());
        qCWarning(lcStoregen) << m_error;
        return false;
    }
    m_dataStart = kHeaderSize + std::uint32_t(m_fileInfo.size());
    m_end = m_dataStart;
    if (m_kind == Kind::Messages)
        m_filters[1] = writeText(kWatchFilter);
    else if (m_kind == Kind::Folders)
        m_filters[2] = writeText(kSubscribedFilter);
    return true;
}

void DbxFileWriter::setFileInfo(const QByteArray& info)
{
    // The block's length is fixed per kind; the header records it.
    QByteArray fixed = info.left(m_fileInfo.size());
    fixed.resize(m_fileInfo.size(), '\0');
    m_fileInfo = fixed;
}

std::uint32_t DbxFileWriter::alloc(SegmentKind kind, std::uint32_t size, ObjectType type)
{
    Segment& s = m_segs[size_t(kind)];
    if (s.size == 0 || s.used + size > s.size) {
        s.start = m_end;
        s.size = std::max(kSegmentSize[size_t(kind)], size);
        s.used = 0;
        m_end += s.size;
    }
    const std::uint32_t at = s.start + s.used;
    s.used += size;
    m_allocated[size_t(type)] += size;
    return at;
}

void DbxFileWriter::writeAt(std::uint32_t offset, const QByteArray& bytes)
{
    if (m_failed)
        return;
    if (!m_file.seek(offset) || m_file.write(bytes) != bytes.size()) {
        m_failed = true;
        m_error =
            QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        qCWarning(lcStoregen) << m_error;
    }
}

std::uint32_t DbxFileWriter::writeText(const QByteArray& text)
{
    const std::uint32_t len = align4(std::uint32_t(text.size()) + 1);
    QByteArray obj(int(8 + len), '\0');
    const std::uint32_t at = alloc(SegmentKind::Records, 8 + len, ObjectType::Text);
    putU32(obj, 0, at);
    putU32(obj, 4, len);
    putBytes(obj, 8, text);
    writeAt(at, obj);
    return at;
}

std::uint32_t DbxFileWriter::writeRecord(const QByteArray& body, int attributeCount)
{
    const std::uint32_t size = 12 + std::uint32_t(body.size());
    const std::uint32_t at = alloc(SegmentKind::Records, size, ObjectType::Record);
    QByteArray obj(int(size), '\0');
    putU32(obj, 0, at);
    putU32(obj, 4, std::uint32_t(body.size()));
    obj[10] = char(attributeCount);
    obj[11] = char(1);
    putBytes(obj, 12, body);
    writeAt(at, obj);
    return at;
}

std::uint32_t DbxFileWriter::writeBlocks(const QByteArray& text)
{
    const qsizetype count = std::max<qsizetype>(1, (text.size() + kBlockData - 1) / kBlockData);
    std::vector<std::uint32_t> offsets;
    offsets.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        offsets.push_back(alloc(SegmentKind::Blocks, kBlockSize, ObjectType::Block));
    QByteArray block(kBlockSize, '\0');
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype from = i * kBlockData;
        const qsizetype used = std::min<qsizetype>(kBlockData, text.size() - from);
        block.fill('\0');
        putU32(block, 0, offsets[size_t(i)]);
        putU32(block, 4, kBlockData);
        putU32(block, 8, std::uint32_t(used));
        putU32(block, 12, i + 1 < count ? offsets[size_t(i + 1)] : 0);
        std::memcpy(block.data() + 16, text.constData() + from, size_t(used));
        writeAt(offsets[size_t(i)], block);
    }
    return offsets.front();
}

void DbxFileWriter::writeTree(int index, const std::vector<std::uint32_t>& recordsInKeyOrder)
{
    m_counts[size_t(index)] = std::uint32_t(recordsInKeyOrder.size());
    if (recordsInKeyOrder.empty())
        return;
    const DbxIndexTree tree(recordsInKeyOrder);
    const auto& nodes = tree.nodes();
    std::vector<std::uint32_t> at(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        at[i] = alloc(SegmentKind::Nodes, kNodeSize, ObjectType::Node);
    auto offsetOf = [&](int n) { return n < 0 ? 0u : at[size_t(n)]; };
    for (size_t i = 0; i < nodes.size(); ++i) {
        const DbxIndexTree::Node& n = nodes[i];
        QByteArray b(kNodeSize, '\0');
        putU32(b, 0x00, at[i]);
        putU32(b, 0x08, offsetOf(n.children.front()));
        putU32(b, 0x0C, offsetOf(n.parent));
        b[0x11] = char(n.values.size());
        putU32(b, 0x14, tree.subtreeCount(n.children.front()));
        for (size_t e = 0; e < n.values.size(); ++e) {
            const int child = n.children[e + 1];
            putU32(b, qsizetype(0x18 + 12 * e), n.values[e]);
            putU32(b, qsizetype(0x18 + 12 * e + 4), offsetOf(child));
            putU32(b, qsizetype(0x18 + 12 * e + 8), tree.subtreeCount(child));
        }
        writeAt(at[i], b);
    }
    m_roots[size_t(index)] = at[size_t(tree.root())];
    m_treeDepth[size_t(index)] = tree.depth();
}

QByteArray DbxFileWriter::header() const
{
    QByteArray h(kHeaderSize, '\0');
    // Signature and class id; the store classes differ in their first class-id byte, the
    // offline-actions store has an id of its own.
    const std::uint8_t store[20] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F, 0x66, 0xE3,
                                    0xD1, 0x11, 0x9A, 0x4E, 0x00, 0xC0, 0x4F, 0xA3, 0x09, 0xD4};
    const std::uint8_t offline[20] = {0xCF, 0xAD, 0x12, 0xFE, 0x30, 0x9D, 0xFE, 0x26, 0x8F, 0x1A,
                                      0xD2, 0x11, 0xAA, 0xBF, 0x00, 0x60, 0x97, 0xD4, 0x74, 0xC4};
    std::memcpy(h.data(), m_kind == Kind::Offline ? offline : store, 20);
    if (m_kind == Kind::Folders)
        h[4] = char(0xC6);
    else if (m_kind == Kind::Pop3Uidl)
        h[4] = char(0xC7);
    putU32(h, 0x14, m_kind == Kind::Offline ? 2 : 5);
    putU32(h, 0x18, 5);
    putU32(h, 0x1C, std::uint32_t(m_fileInfo.size()));
    for (size_t s = 0; s < kSegmentKinds; ++s) {
        putU32(h, qsizetype(0x24 + 12 * s), m_segs[s].start);
        putU32(h, qsizetype(0x28 + 12 * s), m_segs[s].size);
        putU32(h, qsizetype(0x2C + 12 * s), m_segs[s].used);
    }
    std::uint32_t total = 0;
    for (size_t t = 0; t < m_allocated.size(); ++t) {
        putU32(h, qsizetype(0x27C + 4 * t), m_allocated[t]);
        total += m_allocated[t];
    }
    putU32(h, 0x54, total);
    putU32(h, 0x5C, m_lastId);
    putU32(h, 0x64, 1);
    putU32(h, 0x7C, m_end);
    putU32(h, 0x80, m_kind == Kind::Folders ? 3 : (m_kind == Kind::Pop3Uidl ? 1 : 2));
    for (int t = 0; t < 3; ++t) {
        putU32(h, 0x84 + 4 * t, m_filters[size_t(t)]);
        putU32(h, 0xC4 + 4 * t, m_counts[size_t(t)]);
        putU32(h, 0xE4 + 4 * t, m_roots[size_t(t)]);
    }
    putU32(h, 0x108, 1);
    if (m_kind == Kind::Folders)
        putU32(h, 0x10C, 2);
    putU32(h, 0x22BC, 1);
    putU32(h, 0x22EC, m_kind == Kind::Offline ? 0x30000 : 0x20000);
    if (m_kind == Kind::Offline) {
        putU32(h, 0x22F0, 1);
        putU32(h, 0x22F4, 0x20000);
    } else if (m_kind == Kind::Folders) {
        putU32(h, 0x22F0, 1);
        putU32(h, 0x22F4, 0x05020000);
        putU32(h, 0x2320, 0x10002);
        putU32(h, 0x2328, 0x502);
    } else {
        putU32(h, 0x22F0, 7);
    }
    putU32(h, 0x244C, 0x68);
    return h;
}

bool DbxFileWriter::finish()
{
    writeAt(0, header() + m_fileInfo);
    const std::uint32_t physical =
        m_dataStart + (m_end - m_dataStart + kGrowStep - 1) / kGrowStep * kGrowStep;
    if (!m_failed && !m_file.resize(physical)) {
        m_failed = true;
        m_error = QStringLiteral("cannot size %1: %2").arg(m_file.fileName(), m_file.errorString());
        qCWarning(lcStoregen) << m_error;
    }
    m_file.close();
    return !m_failed;
}

} // namespace kv::storegen
