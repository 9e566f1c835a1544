#include "util/FieldList.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kv::FieldList;

namespace {

// Lists are written with "," in the tables and turned into the separator under test.
QString L(const char* text, QChar sep)
{
    return QString::fromLatin1(text).replace(QLatin1Char(','), sep);
}

const QChar kSeparators[] = {QChar(2), QChar(1), QChar(13), QChar(255)};

} // namespace

TEST(FieldList, CountGetPutAndFind)
{
    const std::pair<const char*, qsizetype> counts[] = {{"", 0},   {"a", 1},  {",", 2},
                                                        {"a,", 2}, {",a", 2}, {"a,,c", 3}};
    // list, n, text, list after putField
    const std::tuple<const char*, qsizetype, const char*, const char*> puts[] = {
        {"", -1, "t", "t"},       {"a,b", -1, "t", "a,b,t"},  {"a,b", 2, "t", "a,t"},
        {"a,b,c", 2, "", "a,,c"}, {"a,b", 5, "t", "a,b,,,t"}, {"", 3, "t", ",,t"},
        {"a,b", 0, "t", "a,b"},   {"a,b", -2, "t", "a,b"}};
    // list, text, field number found
    const std::tuple<const char*, const char*, qsizetype> finds[] = {
        {"a,b,b", "b", 2}, {"a,b,c", "d", 0}, {"", "", 0},
        {"a,,c", "", 2},   {"ab,b", "b", 2},  {"a,b,c", "B", 0}};
    for (const QChar sep : kSeparators) {
        SCOPED_TRACE(int(sep.unicode()));
        for (const auto& [list, count] : counts) {
            EXPECT_EQ(countFields(L(list, sep), sep), count) << list;
            EXPECT_EQ(getField(L(list, sep), 0, sep), QString()) << list;
            EXPECT_EQ(getField(L(list, sep), count + 1, sep), QString()) << list;
        }
        for (const auto& [list, n, text, after] : puts)
            EXPECT_EQ(putField(L(list, sep), n, QString::fromLatin1(text), sep), L(after, sep))
                << list << " n=" << n;
        for (const auto& [list, text, n] : finds)
            EXPECT_EQ(findField(L(list, sep), L(text, sep), sep), n) << list << " " << text;
    }
}

TEST(FieldList, ReaderSplitAndGetAgreeOnRandomLists)
{
    QRandomGenerator rng(42);
    const QChar sep(2);
    for (int round = 0; round < 200; ++round) {
        QString list;
        const int length = int(rng.bounded(40));
        for (int i = 0; i < length; ++i)
            list += rng.bounded(4) == 0 ? sep : QChar(u'a' + rng.bounded(3));
        const QStringList split = splitFields(list, sep);
        EXPECT_EQ(split.size(), countFields(list, sep)) << list.toStdString();
        EXPECT_EQ(joinFields(split, sep), list);
        FieldReader reader(list, sep);
        for (qsizetype n = 1; n <= split.size(); ++n) {
            ASSERT_FALSE(reader.atEnd());
            EXPECT_EQ(reader.next(), split[n - 1]);
            EXPECT_EQ(getField(list, n, sep), split[n - 1]);
        }
        EXPECT_TRUE(reader.atEnd());
        // Backwards, too: the remembered position must not be used past the field asked for.
        for (qsizetype n = split.size(); n >= 1; --n)
            EXPECT_EQ(getField(list, n, sep), split[n - 1]);
    }
}

TEST(FieldList, GetFieldSeesChangesToAListItHasReadBefore)
{
    const QChar sep(2);
    QString list = L("one,two,three", sep);
    EXPECT_EQ(getField(list, 2, sep), QStringLiteral("two"));
    list[4] = QLatin1Char('T'); // same size, same owner, different text
    EXPECT_EQ(getField(list, 2, sep), QStringLiteral("Two"));
    list[3] = QLatin1Char('x'); // the separator before "Two" is gone
    EXPECT_EQ(getField(list, 2, sep), QStringLiteral("three"));
    EXPECT_EQ(getField(list, 1, QChar(3)), list); // another separator over the same text
}
