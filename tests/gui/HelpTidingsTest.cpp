#include "HelpTopics.h"
#include "HelpWindow.h"
#include "ModalDriver.h"
#include "TidingsWindow.h"
#include "support/TempDir.h"

#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>

namespace kv::gui {
namespace {

// The links of a page that lead nowhere.
QStringList brokenLinks(const QString& page)
{
    QFile file(QString(page).replace(u"qrc:"_s, u":"_s));
    if (!file.open(QIODevice::ReadOnly))
        return {page};
    QStringList broken;
    const QRegularExpression href(u"href=\"([^\"]+)\""_s);
    for (auto m = href.globalMatch(QString::fromUtf8(file.readAll())); m.hasNext();) {
        const QString target = m.next().captured(1);
        if (!QFile::exists(u":/help/"_s + target))
            broken.append(target);
    }
    return broken;
}

TEST(HelpTest, EveryTopicTheProgramAsksForHasItsPage)
{
    const int used[] = {999, 1001, 1002, 1005, 1006, 1007, 1050, 1500, 2000};
    EXPECT_EQ(HelpTopics::all().size(), std::size(used));
    HelpWindow help;
    for (int context : used) {
        SCOPED_TRACE(context);
        EXPECT_TRUE(help.showTopic(context));
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(context));
        const auto topic = std::ranges::find(HelpTopics::all(), context, &HelpTopic::context);
        ASSERT_NE(topic, HelpTopics::all().end());
        EXPECT_EQ(help.browser()->documentTitle(), topic->title);
        EXPECT_GT(help.browser()->toPlainText().size(), 300);
        EXPECT_EQ(brokenLinks(topic->page), QStringList());
    }
    EXPECT_FALSE(help.showTopic(4242));
    EXPECT_EQ(help.currentPage(), HelpTopics::contentsPage());
    EXPECT_EQ(brokenLinks(HelpTopics::contentsPage()), QStringList());

    // The topic list shows a page; Back returns to the last one.
    auto* list = test::child<QListWidget>(&help, "topicList");
    help.showTopic(999);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(help.currentPage(), HelpTopics::all().at(2).page);
    QTest::mouseClick(test::child<QPushButton>(&help, "backButton"), Qt::LeftButton);
    EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(999));
    EXPECT_EQ(list->currentRow(), 0);
    help.closeHelp();
    EXPECT_FALSE(help.isVisible());
}

TEST(TidingsTest, ShowsTheNewsFileOrAFriendlyNote)
{
    test::TempDir dir;
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(u"Tidings.txt"_s, "  \r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(u"Tidings.txt"_s, "Version 2.1 \x96 caf\xe9 news\r\nSecond line\r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()),
              u"Version 2.1 \u2013 caf\u00e9 news\nSecond line\n"_s);

    TidingsWindow window(dir.path());
    EXPECT_EQ(window.windowTitle(), u"Korvane - Tidings"_s);
    EXPECT_TRUE(window.shownText().startsWith(u"Version 2.1"_s));
}

} // namespace
} // namespace kv::gui
