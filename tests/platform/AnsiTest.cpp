#include "platform/Ansi.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(Ansi, EveryByteSurvivesARoundTripThroughTheCodePageNotLatin1)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = ansi::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ansi::fromUnicode(text), all);
    EXPECT_TRUE(ansi::isRepresentable(text));
    for (const auto& [byte, unicode] : {std::pair{0x80, 0x20AC},
                                        {0x93, 0x201C},
                                        {0x9F, 0x0178},
                                        {0xE9, 0x00E9},
                                        {0x81, 0x0081},
                                        {'A', 'A'}})
        EXPECT_EQ(text.at(byte), QChar(unicode)) << byte;

    const QString wide = QStringLiteral("a\u4E2Db\u0100");
    EXPECT_FALSE(ansi::isRepresentable(wide));
    EXPECT_EQ(ansi::fromUnicode(wide), QByteArray("a?b?"));
    EXPECT_EQ(ansi::narrow(wide), QStringLiteral("a?b?"));
}
