#include "MbxWriter.h"
#include "MessageGenerator.h"
#include "NchWriter.h"
#include "support/TempDir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv::storegen;

namespace {

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b.at(at + i));
    return v;
}

std::uint16_t u16(const QByteArray& b, qsizetype at)
{
    return std::uint16_t(std::uint8_t(b.at(at)) | (std::uint8_t(b.at(at + 1)) << 8));
}

QByteArray field(const QByteArray& b, qsizetype at, int width)
{
    QByteArray s = b.mid(at, width);
    const qsizetype nul = s.indexOf('\0');
    return nul >= 0 ? s.left(nul) : s;
}

} // namespace

// Every record of the .mbx is where the header and the .idx say, with its marker, number,
// length and text; the deleted status lives only in the .idx.
TEST(MbxWriter, RecordsAndIndexAgree)
{
    const MessageGenerator gen(4);
    std::vector<MbxWriter::Entry> entries;
    for (int i = 0; i < 25; ++i)
        entries.push_back({gen.message(std::uint64_t(i)), i == 4});
    kv::test::TempDir dir;
    const QString mbxPath = dir.file(QStringLiteral("Inbox.mbx"));
    const QString idxPath = dir.file(QStringLiteral("Inbox.idx"));
    ASSERT_TRUE(MbxWriter::write(mbxPath, idxPath, entries));
    const QByteArray mbx = kv::test::readFile(mbxPath);
    const QByteArray idx = kv::test::readFile(idxPath);

    EXPECT_EQ(mbx.left(4), "JMF6");
    EXPECT_EQ(u32(mbx, 4), 0x00010003u);
    EXPECT_EQ(u32(mbx, 8), 25u);
    EXPECT_EQ(u32(mbx, 12), 25u);
    EXPECT_EQ(u32(mbx, 16), std::uint32_t(mbx.size()));
    qsizetype at = MbxWriter::kHeaderSize;
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        ASSERT_LE(at + 16, mbx.size());
        EXPECT_EQ(u32(mbx, at), 0x7F007F00u);
        EXPECT_EQ(u32(mbx, at + 4), std::uint32_t(i + 1));
        const std::uint32_t len = u32(mbx, at + 8);
        const std::uint32_t textLen = u32(mbx, at + 12);
        EXPECT_EQ(len % 16, 0u);
        EXPECT_GE(len, textLen + 16);
        EXPECT_LT(len, textLen + 32);
        EXPECT_EQ(mbx.mid(at + 16, textLen), entries[size_t(i)].message.raw);
        EXPECT_EQ(mbx.mid(at + 16 + textLen, len - 16 - textLen), QByteArray(len - 16 - textLen, '\0'));
        at += len;
    }
    EXPECT_EQ(at, mbx.size());

    EXPECT_EQ(idx.left(4), "JMF9");
    EXPECT_EQ(u32(idx, 4), 0x00010004u);
    EXPECT_EQ(u32(idx, 8), 25u);
    EXPECT_EQ(u32(idx, 12), std::uint32_t(idx.size()));
    qsizetype item = MbxWriter::kIdxHeaderSize;
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(u32(idx, item + 12), std::uint32_t(item));
        EXPECT_EQ(u32(idx, item + 8), std::uint32_t(i + 1));
        EXPECT_EQ(u32(idx, item) & 1, i == 4 ? 1u : 0u);
        const std::uint32_t recAt = u32(idx, item + 20);
        EXPECT_EQ(u32(mbx, recAt + 4), std::uint32_t(i + 1));
        EXPECT_EQ(u32(idx, item + 24), u32(mbx, recAt + 8));
        const std::uint32_t subjectLen = u32(idx, item + 212);
        EXPECT_EQ(idx.mid(item + 216, subjectLen), entries[size_t(i)].message.subject.left(255));
        item += u32(idx, item + 16);
    }
    EXPECT_EQ(item, idx.size());
}

TEST(MbxWriter, EmptyFolderHasOnlyTheHeaderAndNoIndexWhenAskedNot)
{
    kv::test::TempDir dir;
    ASSERT_TRUE(MbxWriter::write(dir.file(QStringLiteral("e.mbx")), QString(), {}));
    const QByteArray mbx = kv::test::readFile(dir.file(QStringLiteral("e.mbx")));
    EXPECT_EQ(mbx.size(), MbxWriter::kHeaderSize);
    EXPECT_EQ(u32(mbx, 8), 0u);
    EXPECT_EQ(u32(mbx, 16), std::uint32_t(MbxWriter::kHeaderSize));
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("e.idx"))));
}

// The folder index read the way the inventory reads it: from the first record along the
// next offsets until the one the header names as last.
TEST(NchWriter, ChainHoldsEveryFolderWithItsFields)
{
    const std::vector<NchFolder> folders = {
        {1, 0, "Inbox", "Inbox", 0},
        {2, 0, "Sent Items", "Sent Items", 2},
        {0, 0, "gone", "gone", 0xFFFF},
        {3, 0, "Projects", "Projects", 0xFFFF},
        {4, 3, "Caf\xE9 2002", "Cafe 2002", 0xFFFF},
    };
    kv::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("folders.nch"));
    ASSERT_TRUE(NchWriter::write(path, folders));
    const QByteArray b = kv::test::readFile(path);
    EXPECT_EQ(b.size(), NchWriter::kHeaderSize + NchWriter::kRecordSize * 5);
    const std::uint32_t last = u32(b, 16);
    std::uint32_t at = u32(b, 20);
    std::vector<NchFolder> read;
    for (int guard = 0; guard < 10; ++guard) {
        ASSERT_EQ(u32(b, at), at);
        ASSERT_EQ(u32(b, at + 4), std::uint32_t(NchWriter::kRecordSize));
        read.push_back({u16(b, at + 16), u16(b, at + 540), field(b, at + 20, 259), field(b, at + 279, 260),
                        u16(b, at + 552)});
        if (at == last)
            break;
        const std::uint32_t next = u32(b, at + 12);
        ASSERT_NE(next, 0u);
        EXPECT_EQ(u32(b, next + 8), at) << "previous offset";
        at = next;
    }
    EXPECT_EQ(u32(b, last + 12), 0u);
    ASSERT_EQ(read.size(), folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_EQ(read[i].number, folders[i].number);
        EXPECT_EQ(read[i].parent, folders[i].parent);
        EXPECT_EQ(read[i].name, folders[i].name);
        EXPECT_EQ(read[i].fileName, folders[i].fileName);
        EXPECT_EQ(read[i].order, folders[i].order);
    }
    // First child and next sibling words.
    EXPECT_EQ(u16(b, NchWriter::kHeaderSize + 3 * NchWriter::kRecordSize + 542), 4);
    EXPECT_EQ(u16(b, NchWriter::kHeaderSize + 0 * NchWriter::kRecordSize + 544), 2);
}
