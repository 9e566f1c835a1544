#include "platform/RegValue.h"

#include <gtest/gtest.h>

using namespace kv::platform;

TEST(RegValue, StringsAreStoredAsWindowsStoresThem)
{
    const RegValue v = RegValue::fromString(QStringLiteral("Ab\u00E9"));
    EXPECT_EQ(v.type, kRegSz);
    EXPECT_EQ(v.data, QByteArray("A\0b\0\xE9\0\0\0", 8));
    EXPECT_EQ(v.toString(), QStringLiteral("Ab\u00E9"));
    EXPECT_EQ(RegValue::fromString(QString(), kRegExpandSz).data, QByteArray(2, '\0'));
}

TEST(RegValue, StringIsCutAtItsFirstNul)
{
    RegValue v{kRegSz, QByteArray("a\0b\0\0\0c\0", 8)};
    EXPECT_EQ(v.toString(), QStringLiteral("ab"));
    v.data = QByteArray("x\0y", 3); // odd length and no terminator: the stray byte is ignored
    EXPECT_EQ(v.toString(), QStringLiteral("x"));
}

TEST(RegValue, MultiStringRoundTrip)
{
    const QStringList items = {QStringLiteral("one"), QStringLiteral("two words")};
    const RegValue v = RegValue::fromMultiString(items);
    EXPECT_EQ(v.type, kRegMultiSz);
    EXPECT_TRUE(v.data.endsWith(QByteArray(4, '\0')));
    EXPECT_EQ(v.toMultiString(), items);
    EXPECT_TRUE(RegValue::fromMultiString({}).toMultiString().isEmpty());
}

TEST(RegValue, DwordIsLittleEndianAndShortDataReadsAsZeroes)
{
    EXPECT_EQ(RegValue::fromDword(0x12345678).data, QByteArray("\x78\x56\x34\x12", 4));
    EXPECT_EQ(RegValue::fromDword(0xFFFFFFFF).toDword(), 0xFFFFFFFFu);
    EXPECT_EQ((RegValue{kRegBinary, QByteArray("\x01\x02", 2)}).toDword(), 0x0201u);
}
