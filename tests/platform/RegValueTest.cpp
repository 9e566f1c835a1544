#include "platform/RegValue.h"

#include <gtest/gtest.h>

using namespace kv::platform;

TEST(RegValue, DataIsLaidOutAsWindowsStoresIt)
{
    const RegValue text = RegValue::fromString(QStringLiteral("Ab\u00E9"));
    EXPECT_EQ(text.type, kRegSz);
    EXPECT_EQ(text.data, QByteArray("A\0b\0\xE9\0\0\0", 8));
    EXPECT_EQ(text.toString(), QStringLiteral("Ab\u00E9"));
    EXPECT_EQ(RegValue::fromString(QString(), kRegExpandSz).data, QByteArray(2, '\0'));
    // A string ends at its first NUL; an odd stray byte without a terminator is ignored.
    EXPECT_EQ((RegValue{kRegSz, QByteArray("a\0b\0\0\0c\0", 8)}).toString(), QStringLiteral("ab"));
    EXPECT_EQ((RegValue{kRegSz, QByteArray("x\0y", 3)}).toString(), QStringLiteral("x"));

    const QStringList items = {QStringLiteral("one"), QStringLiteral("two words")};
    const RegValue multi = RegValue::fromMultiString(items);
    EXPECT_EQ(multi.type, kRegMultiSz);
    EXPECT_TRUE(multi.data.endsWith(QByteArray(4, '\0')));
    EXPECT_EQ(multi.toMultiString(), items);
    EXPECT_TRUE(RegValue::fromMultiString({}).toMultiString().isEmpty());

    EXPECT_EQ(RegValue::fromDword(0x12345678).data, QByteArray("\x78\x56\x34\x12", 4));
    EXPECT_EQ(RegValue::fromDword(0xFFFFFFFF).toDword(), 0xFFFFFFFFu);
    EXPECT_EQ((RegValue{kRegBinary, QByteArray("\x01\x02", 2)}).toDword(), 0x0201u)
        << "short data reads as zeroes";
}
