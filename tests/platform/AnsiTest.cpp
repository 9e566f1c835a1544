#include "platform/Ansi.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(Ansi, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = ansi::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ansi::fromUnicode(text), all);
    EXPECT_TRUE(ansi::isRepresentable(text));
}

TEST(Ansi, MapsTheCodePageNotLatin1)
{
    struct Case
    {
        char byte;
        char16_t unicode;
    };
    const Case cases[] = {{'\x80', 0x20AC}, {'\x93', 0x201C}, {'\x9F', 0x0178},
                          {'\xE9', 0x00E9}, {'\x81', 0x0081}, {'A', u'A'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(quint8(c.byte)));
        EXPECT_EQ(ansi::toUnicode(QByteArray(1, c.byte)), QString(QChar(c.unicode)));
        EXPECT_EQ(ansi::fromUnicode(QString(QChar(c.unicode))), QByteArray(1, c.byte));
    }
}

TEST(Ansi, UnrepresentableCharactersBecomeQuestionMarks)
{
    const QString text = QStringLiteral("a\u4E2Db\u0100");
    EXPECT_FALSE(ansi::isRepresentable(text));
    EXPECT_EQ(ansi::fromUnicode(text), QByteArray("a?b?"));
    EXPECT_EQ(ansi::narrow(text), QStringLiteral("a?b?"));
}
