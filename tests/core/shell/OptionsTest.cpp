#include "shell/Options.h"

#include <gtest/gtest.h>

namespace kv::options {
namespace {

// The one table of the rule: how a typed text is read, and what each option stores for it.
TEST(Options, TypedTextBecomesTheStoredValue)
{
    const struct
    {
        bool on;
        const char* text;
        int reminder;
        int purge;
    } cases[] = {{true, "45", 31, 45},
                 {true, "0", 1, -1},
                 {true, "1", 1, 1},
                 {true, "31", 31, 31},
                 {true, "32", 31, 32},
                 {true, "  7", 7, 7},
                 {true, "+3", 3, 3},
                 {true, "12abc", 12, 12},
                 {true, "2.9", 2, 2},
                 {true, "abc", 1, -1},
                 {true, "", 1, -1},
                 {true, "-5", 1, -1},
                 {true, "- 4", 1, -1},
                 {true, "99999", 31, 32767},
                 {true, "123456789012345678901234567890", 31, 32767},
                 {false, "5", -1, -1}};
    for (const auto& c : cases) {
        const OptionsAnswer answer{c.on, QString::fromLatin1(c.text)};
        EXPECT_EQ(valueFor(Mode::Reminder, answer), c.reminder) << c.on << " " << c.text;
        EXPECT_EQ(valueFor(Mode::Purge, answer), c.purge) << c.on << " " << c.text;
    }
}

TEST(Options, StoredValueOpensTheMatchingChoice)
{
    const struct
    {
        const char* stored;
        bool on;
        const char* shown;
    } cases[] = {{"-1", false, ""}, {"2", true, "2"}, {"junk", true, "0"}};
    for (const auto& c : cases) {
        const OptionsRequest r = request(Mode::Purge, QLatin1String(c.stored));
        EXPECT_EQ(r.on, c.on) << c.stored;
        EXPECT_EQ(r.text, QLatin1String(c.shown)) << c.stored;
    }
}

} // namespace
} // namespace kv::options
