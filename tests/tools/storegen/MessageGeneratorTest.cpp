#include "MessageGenerator.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kv::storegen;

namespace {

QByteArray headerBlock(const QByteArray& raw)
{
    const qsizetype end = raw.indexOf("\r\n\r\n");
    return end < 0 ? raw : raw.left(end + 2);
}

} // namespace

TEST(MessageGenerator, SameSeedSameBytesOtherSeedOtherBytes)
{
    const MessageGenerator a(42), b(42), c(43);
    for (std::uint64_t i : {0ull, 1ull, 17ull, 999ull}) {
        EXPECT_EQ(a.message(i).raw, b.message(i).raw);
        EXPECT_NE(a.message(i).raw, c.message(i).raw);
    }
    EXPECT_NE(a.message(1).raw, a.message(2).raw);
}

TEST(MessageGenerator, EveryLineEndsInCrLf)
{
    const MessageGenerator gen(5);
    for (std::uint64_t i = 0; i < 200; ++i) {
        const QByteArray raw = gen.message(i).raw;
        for (qsizetype p = raw.indexOf('\n'); p >= 0; p = raw.indexOf('\n', p + 1))
            ASSERT_TRUE(p > 0 && raw[p - 1] == '\r') << "message " << i << " offset " << p;
        ASSERT_FALSE(raw.contains("\r\r"));
    }
}

// Each run of 20 messages holds the cases readers trip over.
TEST(MessageGenerator, FeaturesAppearInEveryRunOfTwenty)
{
    const MessageGenerator gen(9);
    for (std::uint64_t base : {0ull, 20ull, 4000ull}) {
        SCOPED_TRACE(base);
        const MailMessage noBody = gen.message(base + MessageGenerator::NoBody);
        EXPECT_TRUE(noBody.raw.endsWith("\r\n\r\n"));
        EXPECT_EQ(noBody.raw.indexOf("\r\n\r\n"), noBody.raw.size() - 4);

        EXPECT_GT(headerBlock(gen.message(base + MessageGenerator::LongHeader).raw).size(), 2000);

        const QByteArray h = headerBlock(gen.message(base + MessageGenerator::ReplyToFirst).raw);
        ASSERT_GE(h.indexOf("\r\nReply-To: "), 0);
        EXPECT_LT(h.indexOf("\r\nReply-To: "), h.indexOf("\r\nTo: "));

        const MailMessage enc = gen.message(base + MessageGenerator::EncodedSubject);
        EXPECT_TRUE(headerBlock(enc.raw).contains("Subject: =?iso-8859-1?Q?"));
        EXPECT_TRUE(enc.subject.startsWith("Gr\xFC\xDF" "e aus "));

        const QByteArray multi = gen.message(base + MessageGenerator::Multipart).raw;
        EXPECT_TRUE(multi.contains("Content-Type: multipart/"));
    }
}

// Across a few hundred messages: 8-bit text, folded headers, base64 attachments of varied
// sizes that decode, closed multipart bodies, and sizes averaging a few kilobytes.
TEST(MessageGenerator, CorpusHasTheMixOfARealMailbox)
{
    const MessageGenerator gen(1);
    int eightBit = 0, folded = 0, attachments = 0;
    qint64 total = 0, smallest = 1 << 30, largest = 0;
    const QRegularExpression boundaryRe(QStringLiteral("boundary=\"([^\"]+)\""));
    for (std::uint64_t i = 0; i < 400; ++i) {
        const MailMessage m = gen.message(i);
        total += m.raw.size();
        eightBit += std::any_of(m.raw.begin(), m.raw.end(), [](char c) { return std::uint8_t(c) >= 0x80; });
        folded += headerBlock(m.raw).contains("\r\n\t") || headerBlock(m.raw).contains("\r\n ");
        const auto match = boundaryRe.match(QString::fromLatin1(m.raw));
        if (match.hasMatch()) {
            EXPECT_TRUE(m.raw.contains("--" + match.captured(1).toLatin1() + "--\r\n")) << i;
        }
        if (m.hasAttachment) {
            ++attachments;
            const qsizetype start = m.raw.indexOf("Content-Transfer-Encoding: base64\r\n");
            ASSERT_GE(start, 0);
            const qsizetype body = m.raw.indexOf("\r\n\r\n", start) + 4;
            const qsizetype end = m.raw.indexOf("\r\n--", body);
            const QByteArray b64 = m.raw.mid(body, end - body);
            const auto decoded = QByteArray::fromBase64Encoding(QByteArray(b64).replace("\r\n", ""),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            ASSERT_TRUE(decoded) << i;
            smallest = std::min<qint64>(smallest, decoded.decoded.size());
            largest = std::max<qint64>(largest, decoded.decoded.size());
        }
    }
    EXPECT_GT(eightBit, 200);
    EXPECT_GT(folded, 300);
    EXPECT_GT(attachments, 40);
    EXPECT_LT(smallest, 1024);
    EXPECT_GT(largest, 32 * 1024);
    EXPECT_GT(total / 400, 2000);
    EXPECT_LT(total / 400, 16000);
}
