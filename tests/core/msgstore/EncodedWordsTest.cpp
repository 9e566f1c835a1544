#include "msgstore/EncodedWords.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;
using kv::msgstore::decodeHeaderText;

TEST(EncodedWords, DecodesWordsAndKeepsEverythingElse)
{
    const std::tuple<const char*, const char*, QString> cases[] = {
        // B and Q, any case, charsets beyond the built-in ones.
        {"=?iso-8859-1?Q?Caf=E9_cr=E8me?=", "", u"Café crème"_s},
        {"=?utf-8?B?w6lyaWM=?=", "", u"éric"_s},
        {"=?UTF-8?b?w6lyaWM?=", "", u"éric"_s}, // padding left off
        {"=?iso-8859-2?Q?=A3=F3d=BF?=", "", u"Łódż"_s},
        {"=?windows-1251?B?z/Do4uXy?=", "", u"Привет"_s},
        {"=?utf-8*en?Q?tagged?=", "", u"tagged"_s},
        {"=?utf-8?Q?"
         "?=",
         "", QString()}, // split: "??=" is a trigraph
        // Space between adjacent words goes, also across a fold and between charsets; space
        // next to plain text stays.
        {"=?utf-8?Q?a?= =?utf-8?Q?b?=", "", u"ab"_s},
        {"=?utf-8?Q?a?=\r\n\t=?iso-8859-1?Q?=E9?=", "", u"aé"_s},
        {"=?utf-8?Q?=C3?= =?utf-8?Q?=A9?=", "", u"é"_s}, // one character split over two words
        {"Re: =?utf-8?Q?x?= and =?utf-8?Q?y?= .", "", u"Re: x and y ."_s},
        {"\"=?utf-8?Q?J=C3=B6rg?=\" <j@x.org>", "", u"\"Jörg\" <j@x.org>"_s},
        // Unknown charsets and malformed words stay as written.
        {"=?x-no-such?Q?a?= =?utf-8?Q?b?=", "", u"=?x-no-such?Q?a?= b"_s},
        {"=?utf-8?X?a?=", "", u"=?utf-8?X?a?="_s},
        {"=?utf-8?Q?a=G0?=", "", u"=?utf-8?Q?a=G0?="_s},
        {"=?utf-8?B?w!6k?=", "", u"=?utf-8?B?w!6k?="_s},
        {"=?utf-8?Q?no end", "", u"=?utf-8?Q?no end"_s},
        {"=?utf-8?Q?a b?=", "", u"=?utf-8?Q?a b?="_s},
        {"a =? b ?= c", "", u"a =? b ?= c"_s},
        {"=?=?utf-8?Q?ok?=", "", u"=?ok"_s},
        // Plain 8-bit text: the records' ANSI code page unless the message names its own.
        {"caf\xe9 \x80 \x81", "", u"café € \u0081"_s},
        {"caf\xc3\xa9", "utf-8", u"café"_s},
        {"\xcf\xf0\xe8", "windows-1251", u"При"_s},
        {"\xe9 =?utf-8?Q?=C3=A9?=", "iso-8859-1", u"é é"_s},
    };
    for (const auto& [raw, fallback, expected] : cases) {
        const QByteArray charset = *fallback ? QByteArray(fallback) : "windows-1252";
        EXPECT_EQ(decodeHeaderText(raw, charset), expected) << raw;
    }
}

TEST(EncodedWords, HostileInputStaysBounded)
{
    // Each shape defeats a naive rescan: many word starts that never finish, and a long run of
    // valid words.
    const QByteArray shapes[] = {
        QByteArray("=?").repeated(200'000),
        QByteArray("=?utf-8?Q?").repeated(100'000),
        QByteArray("=?a?q?").repeated(100'000) + QByteArray(400'000, 'x'),
        QByteArray("=?utf-8?Q?ab?= ").repeated(60'000),
    };
    for (const QByteArray& raw : shapes) {
        const QString text = decodeHeaderText(raw);
        EXPECT_LE(text.size(), raw.size());
        EXPECT_FALSE(text.isEmpty());
    }
    EXPECT_EQ(decodeHeaderText(shapes[3]).size(), 120'001); // "abab...ab "
}
