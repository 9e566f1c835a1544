#include "util/Like.h"

#include <gtest/gtest.h>

struct LikeCase
{
    const char* text;
    const char* pattern;
    bool expected;
};

class LikeTest : public testing::TestWithParam<LikeCase> {};

TEST_P(LikeTest, Matches)
{
    const LikeCase& c = GetParam();
    EXPECT_EQ(kv::likeMatch(QString::fromUtf8(c.text), QString::fromUtf8(c.pattern)), c.expected)
        << c.text << " like " << c.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LikeTest,
    testing::Values(
        // command-line switches
        LikeCase{"\\F", "\\*F*", true}, LikeCase{"\\fx", "\\*FX*", true},
        LikeCase{"\\4", "\\*F*", false}, LikeCase{"/F", "\\*F*", false},
        LikeCase{"\\A \\F", "\\*A*", true}, LikeCase{"", "\\*4*", false},
        // window titles and classes
        LikeCase{"Inbox - Outlook Express", "*Outlook Express*", true},
        LikeCase{"Outlook Express", "*outlook express*", true},
        LikeCase{"Outlook", "*Outlook Express*", false},
        LikeCase{"#32770", "#32770", false}, // "#" stands for a digit, not for itself
        LikeCase{"532770", "#32770", true},
        LikeCase{"#32770", "[#]32770", true},
        // single characters, sets and the empty cases
        LikeCase{"abc", "a?c", true}, LikeCase{"ac", "a?c", false},
        LikeCase{"b", "[a-c]", true}, LikeCase{"d", "[a-c]", false},
        LikeCase{"d", "[!a-c]", true}, LikeCase{"[x", "[x", true},
        LikeCase{"", "*", true}, LikeCase{"", "", true}, LikeCase{"a", "", false},
        LikeCase{"aaa", "*a*a*a*", true}, LikeCase{"aa", "*a*a*a*", false}));
