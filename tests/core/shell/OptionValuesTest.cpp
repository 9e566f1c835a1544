#include "shell/OptionValues.h"

#include <gtest/gtest.h>

namespace kv::options {
namespace {

struct TextCase
{
    const char* text;
    int number;
};

TEST(OptionValuesTest, NumberFromTextReadsTheLeadingNumber)
{
    const TextCase cases[] = {
        {"12", 12},
        {"  7", 7},
        {"+3", 3},
        {"-1", -1},
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"2.9", 2},
        {"- 4", 0},
        {"99999", 32767},
        {"-99999", -32768},
        {"000031", 31},
        {"123456789012345678901234567890", 32767},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberFromText(QString::fromLatin1(c.text)), c.number) << c.text;
}

struct ValueCase
{
    bool on;
    const char* text;
    int reminder;
    int purge;
};

TEST(OptionValuesTest, ReminderIsClampedAndPurgeZeroMeansOff)
{
    const ValueCase cases[] = {
        {true, "45", 31, 45},       {true, "0", 1, -1},   {true, "1", 1, 1},   {true, "31", 31, 31},
        {true, "32", 31, 32},       {true, "abc", 1, -1}, {true, "", 1, -1},   {true, "-5", 1, -1},
        {true, "99999", 31, 32767}, {false, "5", -1, -1}, {false, "", -1, -1},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(reminderDays(c.on, text), c.reminder) << c.on << " " << c.text;
        EXPECT_EQ(purgeCopies(c.on, text), c.purge) << c.on << " " << c.text;
    }
}

TEST(OptionValuesTest, StoredValueOpensTheMatchingChoice)
{
    EXPECT_FALSE(viewOfStored(QStringLiteral("-1")).on);
    EXPECT_TRUE(viewOfStored(QStringLiteral("-1")).text.isEmpty());
    EXPECT_TRUE(viewOfStored(QStringLiteral("2")).on);
    EXPECT_EQ(viewOfStored(QStringLiteral("2")).text, QStringLiteral("2"));
    // Unreadable settings show as 0, which OK then turns into a valid value.
    EXPECT_TRUE(viewOfStored(QStringLiteral("junk")).on);
    EXPECT_EQ(viewOfStored(QStringLiteral("junk")).text, QStringLiteral("0"));
    EXPECT_EQ(storedText(reminderDays(true, QStringLiteral("45"))), QStringLiteral("31"));
    EXPECT_EQ(storedText(purgeCopies(true, QStringLiteral("0"))), QStringLiteral("-1"));
}

} // namespace
} // namespace kv::options
