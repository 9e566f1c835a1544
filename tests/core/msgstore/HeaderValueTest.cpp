#include "msgstore/HeaderValue.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using kv::msgstore::headerValue;
using kv::msgstore::indexOfNoCase;

TEST(HeaderValue, FirstOccurrenceAnywhereUpToCr)
{
    const std::tuple<const char*, const char*, QString> cases[] = {
        {"From: a@b\r\nSubject: Hi\r\n\r\n", "Subject: ", u"Hi"_s},
        {"X-AZ: upper\r\n", "x-az: ", u"upper"_s},
        {"Reply-To: r@x\r\nTo: t@x\r\n", "To: ", u"r@x"_s},
        {"Subject:    spaced  \r\n", "Subject: ", u"spaced  "_s},
        {"Subject: first\r\n second\r\n", "Subject: ", u"first"_s},
        {"Subject: no line end", "Subject: ", QString()},
        {"Subject:no space\r\n", "Subject: ", QString()},
        {"X: 1\r\n\r\nbody Date: in body\r\n", "Date: ", u"in body"_s},
        {"Subject: caf\xe9 \x80\r\n", "Subject: ", u"caf\u00e9 \u20ac"_s},
    };
    for (const auto& [text, name, expected] : cases)
        EXPECT_EQ(headerValue(QByteArrayView(text), QByteArrayView(name)), expected) << text;
}

TEST(HeaderValue, CaseFreeSearchFindsEveryPosition)
{
    // The search jumps between colons; compare it with a plain scan at every offset.
    const QByteArray text = "a:b: To:x tO: To: ::To: to:";
    for (const char* name : {"To: ", "to:", ":", "b: t", "a:b: To:x tO: To: ::To: to:", "zz"}) {
        const QByteArray n(name);
        qsizetype plain = -1;
        for (qsizetype i = 0; i + n.size() <= text.size() && plain < 0; ++i)
            if (text.mid(i, n.size()).toLower() == n.toLower())
                plain = i;
        EXPECT_EQ(indexOfNoCase(text, n), plain) << name;
    }
    EXPECT_EQ(indexOfNoCase("abcABC", "CA"), 2);
    EXPECT_EQ(indexOfNoCase("ab", "abc"), -1);
}
