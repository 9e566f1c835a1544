// End to end: kv2000-cli inventory on environments made by kv2000-mkenv.
#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using kv::test::ProgramRun;
using kv::test::runCli;
using kv::test::runProgram;

namespace {

// Both client versions list their folders below the root, indented by depth, with news and the
// address book and favourites after them, and end with the totals; the second identity is
// chosen by name; a missing prefix and an unknown identity fail with 2.
TEST(InventoryCommand, ListsWhatTheGeneratorMade)
{
    const struct
    {
        QStringList generator;
        QStringList options;
        int code;
        QStringList expected; // lines that must be there, in this order
    } cases[] = {
        {{"--identities", "2"},
         {},
         0,
         {"Outlook Express", "  [ ]  Local Folders\t1", "    [x] Inbox\t2\t24\t",
          "  [ ] news.example.com\t3", "    [-] de.comp.misc\t5", "[x] IE Favorites\t30\t"}},
        {{"--identities", "2"}, {"--identity", "Work"}, 0, {"    [x] Inbox\t2\t"}},
        {{"--identities", "2"}, {"--identity", "Nobody"}, 2, {}},
        {{"--oe4"},
         {},
         0,
         {"  [ ] Mail Folders\t0", "    [x] Inbox\t2\t24\t", "      [x] 2002\t2\t",
          "[x] news.example.com\t20\t\t"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.generator + c.options).join(u' ').toStdString());
        kv::test::TempDir dir;
        const ProgramRun made = runProgram(QStringLiteral("tools/mkenv/kv2000-mkenv"),
                                           c.generator + QStringList{dir.file("pfx")});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        const ProgramRun r =
            runCli(QStringList{"inventory", "--prefix", dir.file("pfx")} + c.options);
        ASSERT_EQ(r.code, c.code) << r.err.toStdString();
        const QStringList lines = r.outLines();
        qsizetype at = 0;
        for (const QString& want : c.expected) {
            while (at < lines.size() && !lines[at].startsWith(want))
                ++at;
            EXPECT_LT(at, lines.size()) << want.toStdString() << "\n" << r.out.toStdString();
        }
        if (c.code == 0) {
            EXPECT_TRUE(
                lines.last().contains(QRegularExpression("^\\d+ of \\d+ Items\t[\\d,]+ KBytes\t")))
                << lines.last().toStdString();
        }
    }
    const ProgramRun none = runCli({"inventory", "--prefix", "/nonexistent/kv-prefix"});
    EXPECT_EQ(none.code, 2);
}

} // namespace
