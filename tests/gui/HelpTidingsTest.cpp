#include "HelpTopics.h"
#include "HelpWindow.h"
#include "ModalDriver.h"
#include "TidingsWindow.h"
#include "support/TempDir.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

QString resourcePath(const QString& url)
{
    return QString(url).replace(QStringLiteral("qrc:"), QStringLiteral(":"));
}

TEST(HelpTest, EveryTopicTheProgramAsksForHasItsPage)
{
    const int used[] = {999, 1001, 1002, 1005, 1006, 1007, 1050, 1500, 2000};
    HelpWindow help;
    for (int context : used) {
        SCOPED_TRACE(context);
        const QString page = HelpTopics::pageOf(context);
        ASSERT_FALSE(page.isEmpty());
        QFile file(resourcePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_GT(file.size(), 500);
        EXPECT_TRUE(help.showTopic(context));
        EXPECT_EQ(help.currentPage(), page);
        EXPECT_TRUE(help.isVisible());
        const auto topic = std::find_if(HelpTopics::all().begin(), HelpTopics::all().end(),
                                        [&](const HelpTopic& t) { return t.context == context; });
        EXPECT_EQ(help.browser()->documentTitle(), topic->title);
        EXPECT_TRUE(help.browser()->toPlainText().contains(topic->title));
    }
    EXPECT_EQ(HelpTopics::all().size(), std::size(used));
}

TEST(HelpTest, ContentsUnknownTopicsLinksAndClose)
{
    HelpWindow help;
    help.showContents();
    EXPECT_EQ(help.currentPage(), HelpTopics::contentsPage());
    help.showTopic(1001);
    EXPECT_FALSE(help.showTopic(4242));
    EXPECT_EQ(help.currentPage(), HelpTopics::contentsPage());

    // Every link of every page leads to a page that exists.
    QStringList pages = {HelpTopics::contentsPage()};
    for (const HelpTopic& topic : HelpTopics::all())
        pages.append(topic.page);
    const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    for (const QString& page : pages) {
        QFile file(resourcePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        int links = 0;
        for (auto m = href.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            ++links;
            EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + target))
                << page.toStdString() << " -> " << target.toStdString();
        }
        EXPECT_GT(links, 0) << page.toStdString();
    }

    // Choosing a topic in the list shows it; the Back button returns.
    help.showTopic(999);
    auto* list = help.findChild<QListWidget*>(QStringLiteral("lstTopics"));
    ASSERT_NE(list, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(help.currentPage(), HelpTopics::all().at(2).page);
    EXPECT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->currentRow(), 2);
    test::saveScreen(&help, QStringLiteral("HelpWindow"));
    QTest::mouseClick(help.findChild<QPushButton*>(QStringLiteral("btnBack")), Qt::LeftButton);
    EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(999));
    EXPECT_EQ(list->currentRow(), 0);

    help.closeHelp();
    EXPECT_FALSE(help.isVisible());
}

TEST(TidingsTest, ShowsTheNewsFileOrAFriendlyNote)
{
    test::TempDir dir;
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(QStringLiteral("Tidings.txt"), "  \r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(QStringLiteral("Tidings.txt"), "Version 2.1 \x96 caf\xe9 news\r\nSecond line\r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()),
              QStringLiteral("Version 2.1 \u2013 caf\u00e9 news\nSecond line\n"));

    TidingsWindow window(dir.path());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Korvane - Tidings"));
    EXPECT_TRUE(window.shownText().startsWith(QStringLiteral("Version 2.1")));
    window.show();
    test::saveScreen(&window, QStringLiteral("Tidings"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdClose")), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace kv::gui
