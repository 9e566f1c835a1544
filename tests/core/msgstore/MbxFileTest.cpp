#include "msgstore/MbxFile.h"
#include "DbxBuilder.h"
#include "support/TempDir.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using kv::msgstore::MbxFile;
using kv::test::sampleMessage;
using kv::test::TempDir;

namespace {

void put32(QByteArray& b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

// An ".mbx" file laid out as the version-4 client writes it: an 84-byte header ("JMF6", count
// at 0x08, end of data at 0x10) and one record per text, padded to a multiple of 4.
struct Mbx
{
    QByteArray bytes = QByteArray(0x54, '\0');
    QList<quint32> offsets;

    explicit Mbx(const QList<QByteArray>& texts)
    {
        bytes.replace(0, 4, "JMF6");
        for (const QByteArray& t : texts)
            addRecord(t, quint32((16 + t.size() + 3) / 4 * 4));
        setCount(quint32(texts.size()));
        setEnd(quint32(bytes.size()));
    }
    void addRecord(const QByteArray& text, quint32 length)
    {
        offsets.append(quint32(bytes.size()));
        QByteArray r(16, '\0');
        r.replace(0, 4, QByteArray("\x00\x7F\x00\x7F", 4));
        put32(r, 4, quint32(offsets.size()));
        put32(r, 8, length);
        put32(r, 12, quint32(text.size()));
        r += text;
        r.append(QByteArray(qMax<qsizetype>(0, qsizetype(length) - r.size()), '\0'));
        bytes += r;
    }
    void setCount(quint32 n) { put32(bytes, 0x08, n); }
    void setEnd(quint32 n) { put32(bytes, 0x10, n); }
    // The text FullMessage gives: the record less its header, fill included.
    QByteArray recordText(int i) const
    {
        return bytes.mid(offsets[i] + 16,
                         qFromLittleEndian<quint32>(bytes.constData() + offsets[i] + 8) - 16);
    }
};

} // namespace

TEST(MbxMsgFile, RecordsAreNumberedInFileOrder)
{
    Mbx mbx({QByteArray(84, 'a'), QByteArray(184, 'b'), QByteArray(284, 'c')});
    TempDir dir;
    MbxFile reader;
    ASSERT_TRUE(reader.FileOpen(dir.write(QStringLiteral("f.mbx"), mbx.bytes)));
    EXPECT_EQ(mbx.offsets, (QList<quint32>{84, 184, 384}));
    EXPECT_EQ(reader.MessageCount(), 3);
    EXPECT_EQ(reader.MsgSize(1), 100);
    EXPECT_EQ(reader.MsgSize(2), 200);
    EXPECT_EQ(reader.MsgSize(3), 300);
    EXPECT_EQ(reader.MsgSize(4), 0);
    EXPECT_EQ(reader.FullMessage(2), QByteArray(184, 'b'));

    QList<QByteArray> walked;
    for (QByteArray m = reader.FirstMsg(); !m.isEmpty(); m = reader.NextMsg())
        walked.append(m);
    EXPECT_EQ(walked.size(), 3);
    EXPECT_TRUE(reader.Eof());
    EXPECT_TRUE(reader.NextMsg().isEmpty());
    reader.Bof();
    EXPECT_EQ(reader.NextMsg(), QByteArray(84, 'a'));
}

TEST(MbxMsgFile, HeaderValuesSearchTheWholeMessage)
{
    const QByteArray withBodyDate = "From: a@b\r\nSubject: S\r\n\r\nDate: in the body\r\n";
    Mbx mbx({sampleMessage(1), withBodyDate});
    TempDir dir;
    MbxFile reader;
    ASSERT_TRUE(reader.FileOpen(dir.write(QStringLiteral("f.mbx"), mbx.bytes)));
    EXPECT_TRUE(reader.MsgSubject().isEmpty()) << "nothing loaded yet";
    reader.FullMessage(1);
    EXPECT_EQ(reader.MsgSubject(), QStringLiteral("Message 1"));
    EXPECT_EQ(reader.MsgFrom(), QStringLiteral("Sender 1 <s@example.org>"));
    EXPECT_EQ(reader.MsgTo(), QStringLiteral("someone@example.org"));
    reader.FullMessage(2);
    EXPECT_EQ(reader.MsgDateStr(), QStringLiteral("in the body"));
    reader.FullMessage(0);
    EXPECT_TRUE(reader.MsgSubject().isEmpty()) << "out of range clears the text";
}

TEST(MbxMsgFile, EndOfDataStopsTheScan)
{
    Mbx mbx({sampleMessage(1), sampleMessage(2), sampleMessage(3)});
    mbx.setEnd(mbx.offsets[1] + 1); // the second record passes it
    TempDir dir;
    MbxFile reader;
    ASSERT_TRUE(reader.FileOpen(dir.write(QStringLiteral("f.mbx"), mbx.bytes)));
    EXPECT_EQ(reader.MessageCount(), 3);
    EXPECT_GT(reader.MsgSize(2), 0);
    EXPECT_EQ(reader.MsgSize(3), 0);
    bool ok = false;
    EXPECT_EQ(reader.FullMessage(2, &ok), mbx.recordText(1));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(reader.FullMessage(3, &ok).isEmpty()) << "an unreached slot is an empty message";
    EXPECT_TRUE(ok);
}

TEST(MbxMsgFile, SaveAsFileWritesTextAndLineEnd)
{
    Mbx mbx({sampleMessage(1), sampleMessage(2, 900)});
    TempDir dir;
    MbxFile reader;
    ASSERT_TRUE(reader.FileOpen(dir.write(QStringLiteral("f.mbx"), mbx.bytes)));
    const QString out = dir.file(QStringLiteral("new/dir"));
    reader.FullMessage(2);
    ASSERT_TRUE(reader.SaveAsFile(out, QStringLiteral("m.eml")));
    reader.FullMessage(1);
    ASSERT_TRUE(reader.SaveAsFile(out + QLatin1Char('/'), QStringLiteral("m.eml")));
    EXPECT_EQ(kv::test::readFile(out + QStringLiteral("/m.eml")), mbx.recordText(0) + "\r\n");
}

TEST(MbxMsgFile, EmptyAndDamagedFiles)
{
    TempDir dir;
    struct Case
    {
        const char* name;
        QByteArray bytes;
        bool opens;
    };
    Mbx good({sampleMessage(1), sampleMessage(2)});
    Mbx empty({});
    Mbx shortRecord({sampleMessage(1), sampleMessage(2)});
    put32(shortRecord.bytes, shortRecord.offsets[0] + 8, 8);
    Mbx negative({sampleMessage(1), sampleMessage(2)});
    put32(negative.bytes, negative.offsets[0] + 8, 0xFFFFFF00u);
    Mbx pastEnd({sampleMessage(1), sampleMessage(2)});
    put32(pastEnd.bytes, pastEnd.offsets[1] + 8, 0x00FFFFF0u);
    pastEnd.setEnd(0x7FFFFFFF);
    Mbx moreCounted({sampleMessage(1)});
    moreCounted.setCount(2);
    moreCounted.setEnd(0x7FFFFFFF);
    Mbx huge({sampleMessage(1)});
    huge.setCount(0xFFFFFFFFu);

    const Case cases[] = {
        {"empty folder", empty.bytes, true},
        {"file shorter than its header", good.bytes.left(0x50), false},
        {"record header cut off", good.bytes.left(good.offsets[1] + 10), false},
        {"count beyond the records", moreCounted.bytes, false},
        {"huge count", huge.bytes, false},
        {"record shorter than its header", shortRecord.bytes, true},
        {"negative record length", negative.bytes, true},
        {"record text past the end", pastEnd.bytes, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(QStringLiteral("f.mbx"), c.bytes);
        MbxFile reader;
        ASSERT_EQ(reader.FileOpen(path), c.opens) << reader.lastError().toStdString();
        if (!c.opens) {
            EXPECT_FALSE(reader.IsOpen());
            continue;
        }
        bool sawDamage = false;
        for (qint32 n = 1; n <= reader.MessageCount(); ++n) {
            bool ok = true;
            const QByteArray text = reader.FullMessage(n, &ok);
            if (!ok) {
                sawDamage = true;
                EXPECT_TRUE(text.isEmpty());
                EXPECT_FALSE(reader.lastError().isEmpty());
            }
        }
        EXPECT_EQ(sawDamage, c.bytes != empty.bytes);
        EXPECT_EQ(reader.Eof(), true);
    }
}
