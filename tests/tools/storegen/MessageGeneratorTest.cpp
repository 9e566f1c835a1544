#include "MessageGenerator.h"

#include <gtest/gtest.h>

using namespace kv::storegen;

namespace {

QByteArray headerBlock(const QByteArray& raw)
{
    const qsizetype end = raw.indexOf("\r\n\r\n");
    return end < 0 ? raw : raw.left(end + 2);
}

} // namespace

// The same messages for a seed (tests regenerate what a store holds), CR LF line ends, and in
// every run of 20 messages the cases readers trip over.
TEST(MessageGenerator, SeededMessagesHoldTheHardCases)
{
    using Feature = MessageGenerator::Feature;
    const MessageGenerator gen(9), same(9), other(10);
    for (std::uint64_t i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        const QByteArray raw = gen.message(i).raw;
        ASSERT_EQ(raw, same.message(i).raw);
        ASSERT_NE(raw, other.message(i).raw);
        ASSERT_EQ(raw.count('\n'), raw.count("\r\n"));
        ASSERT_FALSE(raw.contains("\r\r"));
    }
    for (std::uint64_t run : {0ull, 1ull, 200ull}) {
        SCOPED_TRACE(run);
        auto of = [&](Feature f) { return gen.message(MessageGenerator::indexOf(f, run)); };
        const QByteArray noBody = of(Feature::NoBody).raw;
        EXPECT_EQ(noBody.indexOf("\r\n\r\n"), noBody.size() - 4);
        EXPECT_GT(headerBlock(of(Feature::LongHeader).raw).size(), 2000);
        const QByteArray h = headerBlock(of(Feature::ReplyToFirst).raw);
        ASSERT_GE(h.indexOf("\r\nReply-To: "), 0);
        EXPECT_LT(h.indexOf("\r\nReply-To: "), h.indexOf("\r\nTo: "));
        const MailMessage enc = of(Feature::EncodedSubject);
        EXPECT_TRUE(headerBlock(enc.raw).contains("Subject: =?iso-8859-1?Q?"));
        EXPECT_TRUE(enc.subject.startsWith("Gr\xFC\xDF"
                                           "e aus "));
        EXPECT_TRUE(of(Feature::Multipart).raw.contains("Content-Type: multipart/"));
    }
}
