// End to end: kv2000-cli inventory on environments made by kv2000-mkenv.
#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QRegularExpression>

namespace {

// Both client versions' folders, indented by depth, then news, favourites and the totals.
TEST(InventoryCommand, ListsWhatTheGeneratorMade)
{
    // Generator options, command options, lines that must be there in this order.
    const std::tuple<QStringList, QStringList, QStringList> cases[] = {
        {{"--identities", "2"},
         {},
         {"Outlook Express", "  [ ]  Local Folders\t1", "    [x] Inbox\t2\t24\t",
          "  [ ] news.example.com\t3", "    [-] de.comp.misc\t5", "[x] IE Favorites\t30\t"}},
        {{"--identities", "2"}, {"--identity", "Work"}, {"    [x] Inbox\t2\t"}},
        {{"--oe4"},
         {},
         {"  [ ] Mail Folders\t0", "    [x] Inbox\t2\t24\t", "      [x] 2002\t2\t",
          "[x] news.example.com\t20\t\t"}},
    };
    for (const auto& [generator, options, expected] : cases) {
        SCOPED_TRACE((generator + options).join(u' ').toStdString());
        kv::test::TempDir dir;
        ASSERT_EQ(kv::test::runProgram("tools/mkenv/kv2000-mkenv",
                                       generator + QStringList{dir.file("pfx")})
                      .code,
                  0);
        const auto r =
            kv::test::runCli(QStringList{"inventory", "--prefix", dir.file("pfx")} + options);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QStringList lines = r.outLines();
        qsizetype at = 0;
        for (const QString& want : expected) {
            while (at < lines.size() && !lines[at].startsWith(want))
                ++at;
            EXPECT_LT(at, lines.size()) << want.toStdString() << "\n" << r.out.toStdString();
        }
        EXPECT_TRUE(
            lines.last().contains(QRegularExpression("^\\d+ of \\d+ Items\t[\\d,]+ KBytes\t")))
            << lines.last().toStdString();
    }
    EXPECT_EQ(kv::test::runCli({"inventory", "--prefix", "/nonexistent/kv-prefix"}).code, 2);
}

} // namespace
