#include "util/PeVersionInfo.h"

#include <QList>

#include <cstring>

namespace kv {

namespace {

constexpr quint32 kRtVersion = 16;
constexpr quint32 kSubdirectoryBit = 0x80000000u;
constexpr quint32 kFixedSignature = 0xFEEF04BDu;
constexpr int kFixedInfoSize = 52;
// "VS_VERSION_INFO" with its NUL, in UTF-16: the key of the version block.
constexpr int kKeyChars = 16;
// The fixed information follows the 6-byte header and the key, aligned to 4 bytes.
constexpr int kFixedInfoOffset = (6 + kKeyChars * 2 + 3) & ~3;
// A PE file has at most 96 sections.
constexpr quint16 kMaxSections = 96;

struct Section
{
    quint32 virtualAddress;
    quint32 rawSize;
    quint32 rawPointer;
};

class Image
{
public:
    explicit Image(QIODevice& file) : m_file(file), m_size(file.size()) {}

    bool read(quint64 offset, void* out, qint64 length)
    {
        if (length < 0 || offset > quint64(m_size) || quint64(length) > quint64(m_size) - offset)
            return false;
        if (!m_file.seek(qint64(offset)))
            return false;
        return m_file.read(static_cast<char*>(out), length) == length;
    }
    bool u16(quint64 offset, quint16* out)
    {
        uchar b[2];
        if (!read(offset, b, 2))
            return false;
        *out = quint16(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(quint64 offset, quint32* out)
    {
        uchar b[4];
        if (!read(offset, b, 4))
            return false;
        *out = quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
        return true;
    }

    QList<Section> sections;

    // The file offset of length bytes at a relative virtual address; they must lie in the raw
    // data of one section.
    std::optional<quint64> fileOffset(quint64 rva, quint64 length) const
    {
        for (const Section& s : sections) {
            if (rva < s.virtualAddress)
                continue;
            const quint64 into = rva - s.virtualAddress;
            if (into > s.rawSize || length > s.rawSize - into)
                continue;
            return quint64(s.rawPointer) + into;
        }
        return std::nullopt;
    }
    bool u16At(quint64 rva, quint16* out)
    {
        const auto at = fileOffset(rva, 2);
        return at && u16(*at, out);
    }
    bool u32At(quint64 rva, quint32* out)
    {
        const auto at = fileOffset(rva, 4);
        return at && u32(*at, out);
    }

private:
    QIODevice& m_file;
    qint64 m_size;
};

// The data offset of an entry of the resource directory at dirRva: the entry with the given
// id, or the first entry when id is negative.
std::optional<quint32> findEntry(Image& image, quint64 rsrcRva, quint32 dirOffset, qint64 id)
{
    const quint64 dir = rsrcRva + dirOffset;
    quint16 named = 0, ids = 0;
    if (!image.u16At(dir + 12, &named) || !image.u16At(dir + 14, &ids))
        return std::nullopt;
    const int total = int(named) + int(ids);
    for (int i = 0; i < total; ++i) {
        const quint64 entry = dir + 16 + quint64(i) * 8;
        quint32 name = 0, data = 0;
        if (!image.u32At(entry, &name) || !image.u32At(entry + 4, &data))
            return std::nullopt;
        if (id < 0 || (!(name & kSubdirectoryBit) && name == quint64(id)))
            return data;
    }
    return std::nullopt;
}

bool loadSections(Image& image, quint64 sectionTable, quint16 count)
{
    if (count == 0 || count > kMaxSections)
        return false;
    for (quint16 i = 0; i < count; ++i) {
        const quint64 at = sectionTable + quint64(i) * 40;
        quint32 va = 0, rawSize = 0, rawPointer = 0;
        if (!image.u32(at + 12, &va) || !image.u32(at + 16, &rawSize) ||
            !image.u32(at + 20, &rawPointer))
            return false;
        image.sections.append({va, rawSize, rawPointer});
    }
    return true;
}

} // namespace

std::optional<FixedFileInfo> readFixedFileInfo(QIODevice& file)
{
    if (!file.isOpen() || file.isSequential())
        return std::nullopt;
    Image image(file);

    char mz[2];
    quint32 peOffset = 0;
    if (!image.read(0, mz, 2) || mz[0] != 'M' || mz[1] != 'Z' || !image.u32(0x3C, &peOffset))
        return std::nullopt;
    char pe[4];
    if (!image.read(peOffset, pe, 4) || std::memcmp(pe, "PE\0\0", 4) != 0)
        return std::nullopt;

    const quint64 coff = quint64(peOffset) + 4;
    quint16 sectionCount = 0, optionalSize = 0, magic = 0;
    if (!image.u16(coff + 2, &sectionCount) || !image.u16(coff + 16, &optionalSize))
        return std::nullopt;
    const quint64 optional = coff + 20;
    if (!image.u16(optional, &magic))
        return std::nullopt;
    quint64 directories = 0;
    quint32 directoryCount = 0;
    if (magic == 0x10B) {
        directories = 96;
        if (!image.u32(optional + 92, &directoryCount))
            return std::nullopt;
    } else if (magic == 0x20B) {
        directories = 112;
        if (!image.u32(optional + 108, &directoryCount))
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    // The resource directory is entry 2; it must lie inside the optional header.
    if (directoryCount < 3 || directories + 3 * 8 > optionalSize)
        return std::nullopt;
    quint32 rsrcRva = 0;
    if (!image.u32(optional + directories + 2 * 8, &rsrcRva) || rsrcRva == 0)
        return std::nullopt;
    if (!loadSections(image, optional + optionalSize, sectionCount))
        return std::nullopt;

    // Type, then name, then language: always three levels, so a directory pointing back at
    // itself cannot make the walk loop.
    const auto type = findEntry(image, rsrcRva, 0, kRtVersion);
    if (!type || !(*type & kSubdirectoryBit))
        return std::nullopt;
    const auto name = findEntry(image, rsrcRva, *type & ~kSubdirectoryBit, -1);
    if (!name || !(*name & kSubdirectoryBit))
        return std::nullopt;
    const auto language = findEntry(image, rsrcRva, *name & ~kSubdirectoryBit, -1);
    if (!language || (*language & kSubdirectoryBit))
        return std::nullopt;
    quint32 dataRva = 0, dataSize = 0;
    if (!image.u32At(rsrcRva + *language, &dataRva) ||
        !image.u32At(rsrcRva + *language + 4, &dataSize))
        return std::nullopt;

    const quint32 needed = kFixedInfoOffset + kFixedInfoSize;
    if (dataSize < needed)
        return std::nullopt;
    const auto block = image.fileOffset(dataRva, needed);
    if (!block)
        return std::nullopt;
    uchar head[kFixedInfoOffset];
    if (!image.read(*block, head, kFixedInfoOffset))
        return std::nullopt;
    const quint16 length = quint16(head[0] | (head[1] << 8));
    const quint16 valueLength = quint16(head[2] | (head[3] << 8));
    if (length < needed || valueLength < kFixedInfoSize)
        return std::nullopt;
    static const char16_t key[kKeyChars] = u"VS_VERSION_INFO";
    for (int i = 0; i < kKeyChars; ++i) {
        const char16_t c = char16_t(head[6 + 2 * i] | (head[7 + 2 * i] << 8));
        if (c != key[i])
            return std::nullopt;
    }

    quint32 v[13];
    for (int i = 0; i < 13; ++i) {
        if (!image.u32(*block + kFixedInfoOffset + quint64(i) * 4, &v[i]))
            return std::nullopt;
    }
    if (v[0] != kFixedSignature)
        return std::nullopt;
    FixedFileInfo info;
    info.fileVersionHigh = v[2];
    info.fileVersionLow = v[3];
    info.productVersionHigh = v[4];
    info.productVersionLow = v[5];
    info.fileFlags = v[7];
    info.fileOs = v[8];
    info.fileType = v[9];
    return info;
}

} // namespace kv
