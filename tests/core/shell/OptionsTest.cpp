#include "shell/Options.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kv::options {
namespace {

// The one table of the rule: how a typed text is read, and what each option stores for it.
TEST(Options, TypedTextBecomesTheStoredValue)
{
    // On, typed text, then the reminder's and the purge's stored value.
    const std::tuple<bool, const char*, int, int> cases[] = {
        {true, "45", 31, 45},
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
    for (const auto& [on, text, reminder, purge] : cases) {
        const OptionsAnswer answer{on, QString::fromLatin1(text)};
        EXPECT_EQ(valueFor(Mode::Reminder, answer), reminder) << on << " " << text;
        EXPECT_EQ(valueFor(Mode::Purge, answer), purge) << on << " " << text;
    }
    // And back: the stored value opens the matching choice.
    const std::tuple<const char*, bool, const char*> stored[] = {
        {"-1", false, ""}, {"2", true, "2"}, {"junk", true, "0"}};
    for (const auto& [value, on, shown] : stored) {
        const OptionsRequest r = request(Mode::Purge, QLatin1String(value));
        EXPECT_EQ(r.on, on) << value;
        EXPECT_EQ(r.text, QLatin1String(shown)) << value;
    }
}

} // namespace
} // namespace kv::options
