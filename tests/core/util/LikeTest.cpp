#include "util/Like.h"

#include <gtest/gtest.h>

// "#" stands for a digit, so the dialog class "#32770" matches no real dialog.
TEST(Like, Patterns)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"\\F", "\\*F*", true},
        {"\\fx", "\\*FX*", true},
        {"/F", "\\*F*", false},
        {"", "\\*4*", false},
        {"Outlook", "*Outlook Express*", false},
        {"#32770", "#32770", false},
        {"532770", "#32770", true},
        {"#32770", "[#]32770", true},
        {"ac", "a?c", false},
        {"b", "[a-c]", true},
        {"d", "[!a-c]", true},
        {"[x", "[x", true},
        {"", "*", true},
        {"a", "", false},
        {"aa", "*a*a*a*", false}};
    for (const auto& [text, pattern, match] : cases)
        EXPECT_EQ(kv::likeMatch(QString::fromUtf8(text), QString::fromUtf8(pattern)), match)
            << text << " like " << pattern;
}
