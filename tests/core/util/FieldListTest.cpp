#include "util/FieldList.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::FieldList;

namespace {

// Lists are written with "," in the tables and turned into the separator under test.
QString L(const char* text, QChar sep)
{
    return QString::fromLatin1(text).replace(QLatin1Char(','), sep);
}

const QChar kSeparators[] = {QChar(2), QChar(1), QChar(3), QChar(13), QChar(255)};

} // namespace

TEST(FieldList, SeparatorsStartAt255And254UntilTheStartUpSetsThem)
{
    resetSeparators();
    EXPECT_EQ(separatorA(), QChar(255));
    EXPECT_EQ(separatorB(), QChar(254));
    setSeparators();
    EXPECT_EQ(separatorA(), QChar(2));
    EXPECT_EQ(separatorB(), QChar(1));
    // An unset (NUL) separator falls back to the initial values.
    setSeparators(QChar(0), QChar(0));
    EXPECT_EQ(separatorA(), QChar(255));
    EXPECT_EQ(separatorB(), QChar(254));
    setSeparators();
}

TEST(FieldList, CountAndGet)
{
    struct Case
    {
        const char* list;
        qsizetype count;
        std::vector<const char*> fields; // fields 1..count
    };
    const Case cases[] = {
        {"", 0, {}},
        {"a", 1, {"a"}},
        {"a,b,c", 3, {"a", "b", "c"}},
        {",", 2, {"", ""}},
        {"a,", 2, {"a", ""}},
        {",a", 2, {"", "a"}},
        {"a,,c", 3, {"a", "", "c"}},
        {"long field,x", 2, {"long field", "x"}},
    };
    for (const QChar sep : kSeparators) {
        for (const Case& c : cases) {
            const QString list = L(c.list, sep);
            SCOPED_TRACE(std::string(c.list) + " sep " + std::to_string(sep.unicode()));
            EXPECT_EQ(countFields(list, sep), c.count);
            for (qsizetype n = 1; n <= c.count; ++n)
                EXPECT_EQ(getField(list, n, sep), QString::fromLatin1(c.fields[n - 1])) << n;
            // Beyond either end: nothing.
            EXPECT_EQ(getField(list, 0, sep), QString());
            EXPECT_EQ(getField(list, -1, sep), QString());
            EXPECT_EQ(getField(list, c.count + 1, sep), QString());
            EXPECT_EQ(splitFields(list, sep).size(), c.count);
        }
    }
}

TEST(FieldList, OtherSeparatorsAreOrdinaryText)
{
    setSeparators();
    const QString list = L("a\x01"
                           "b,c",
                           QChar(2));
    EXPECT_EQ(countFieldsA(list), 2);
    EXPECT_EQ(getFieldA(list, 1), QStringLiteral("a\x01"
                                                 "b"));
    EXPECT_EQ(countFieldsB(list), 2);
    EXPECT_EQ(getFieldB(list, 2), L("b,c", QChar(2)));
}

TEST(FieldList, PutField)
{
    struct Case
    {
        const char* list;
        qsizetype n;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", -1, "t", "t"},        // append to an empty list: the text alone
        {"a,b", -1, "t", "a,b,t"}, // append
        {"a,b", 1, "t", "t,b"},     {"a,b", 2, "t", "a,t"},
        {"a,b,c", 2, "", "a,,c"},   {"a,b,c", 2, "long", "a,long,c"},
        {"a,b", 3, "t", "a,b,t"},   // one past the end: appended
        {"a,b", 5, "t", "a,b,,,t"}, // further: padded with empty fields
        {"", 1, "t", "t"},          {"", 3, "t", ",,t"},
        {"a,b", 0, "t", "a,b"}, // no field 0: unchanged
        {"a,b", -2, "t", "a,b"},    {"a,", 2, "t", "a,t"},
    };
    for (const QChar sep : kSeparators) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.list) + " n=" + std::to_string(c.n));
            const QString result = putField(L(c.list, sep), c.n, QString::fromLatin1(c.text), sep);
            EXPECT_EQ(result, L(c.expected, sep));
            if (c.n > 0 && QString::fromLatin1(c.list) != QString::fromLatin1(c.expected)) {
                EXPECT_EQ(getField(result, c.n, sep), QString::fromLatin1(c.text));
            }
        }
    }
}

TEST(FieldList, FindField)
{
    struct Case
    {
        const char* list;
        const char* text;
        qsizetype expected;
    };
    const Case cases[] = {
        {"a,b,c", "b", 2}, {"a,b,b", "b", 2}, {"a,b,c", "d", 0},
        {"", "a", 0},      {"", "", 0},       {"a,,c", "", 2},
        {"ab,b", "b", 2},  {"a,b,c", "B", 0}, {"Inbox,Outbox", "Outbox", 2},
        {"a,b", "a,b", 0},
    };
    for (const QChar sep : kSeparators) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.list) + " find " + c.text);
            EXPECT_EQ(findField(L(c.list, sep), L(c.text, sep), sep), c.expected);
        }
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
    // Changed in place: same size, same owner, different text.
    list[4] = QLatin1Char('T');
    EXPECT_EQ(getField(list, 2, sep), QStringLiteral("Two"));
    EXPECT_EQ(getField(list, 3, sep), QStringLiteral("three"));
    list[3] = QLatin1Char('x'); // the separator before "Two" is gone
    EXPECT_EQ(getField(list, 2, sep), QStringLiteral("three"));
    EXPECT_EQ(getField(list, 3, sep), QString());
    // Another list, and a different separator over the same text.
    const QString other = L("x,y", sep);
    EXPECT_EQ(getField(other, 2, sep), QStringLiteral("y"));
    EXPECT_EQ(getField(other, 1, QChar(3)), other);
}
