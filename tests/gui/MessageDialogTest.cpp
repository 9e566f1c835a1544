#include "MessageDialog.h"
#include "ModalDriver.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::child;
using test::whenModal;

enum class Press
{
    Cmd0,
    Cmd1,
    CloseBox,
    Escape,
    AltY,
    AltN
};

struct MsgCase
{
    const char* name;
    int helpStyle;
    bool tick;
    Press press;
    const char* cmd0; // "" when hidden
    const char* cmd1;
    bool result;
    bool screen; // save a picture of this case
};

TEST(MessageDialogTest, ButtonStylesAndResults)
{
    const MsgCase cases[] = {
        {"yes", 0, false, Press::Cmd0, "&Yes", "&No", true, true},
        {"no", 0, true, Press::Cmd1, "&Yes", "&No", false, false},
        {"yes_close_box", 0, true, Press::CloseBox, "&Yes", "&No", false, false},
        {"yes_escape", 0, false, Press::Escape, "&Yes", "&No", false, false},
        {"yes_mnemonic", 0, false, Press::AltY, "&Yes", "&No", true, false},
        {"no_mnemonic", 0, true, Press::AltN, "&Yes", "&No", false, false},
        {"help_ok", 1050, true, Press::Cmd0, "&OK", "&Help", false, true},
        {"ok_only", -1, false, Press::Cmd1, "", "&OK", false, true},
        {"ok_only_close_box", -1, true, Press::CloseBox, "", "&OK", false, false},
    };
    for (const MsgCase& c : cases) {
        SCOPED_TRACE(c.name);
        MessageDialog dialog;
        whenModal([&](QWidget* modal) {
            ASSERT_EQ(modal, &dialog);
            auto* cmd0 = child<QPushButton>(modal, "cmd0");
            auto* cmd1 = child<QPushButton>(modal, "cmd1");
            EXPECT_EQ(cmd0->isVisible(), *c.cmd0 != '\0');
            if (*c.cmd0) {
                EXPECT_EQ(cmd0->text(), QString::fromLatin1(c.cmd0));
            }
            EXPECT_TRUE(cmd1->isVisible());
            EXPECT_EQ(cmd1->text(), QString::fromLatin1(c.cmd1));
            auto* check = child<QCheckBox>(modal, "Check1");
            EXPECT_EQ(check->text(), QStringLiteral("&Do not show this again"));
            if (c.tick)
                QTest::mouseClick(check, Qt::LeftButton);
            if (c.screen)
                test::saveScreen(modal, QStringLiteral("frmGenMsg_") + QLatin1String(c.name));
            switch (c.press) {
            case Press::Cmd0:
                QTest::mouseClick(cmd0, Qt::LeftButton);
                break;
            case Press::Cmd1:
                QTest::mouseClick(cmd1, Qt::LeftButton);
                break;
            case Press::CloseBox:
                modal->close();
                break;
            case Press::Escape:
                QTest::keyClick(modal, Qt::Key_Escape);
                break;
            case Press::AltY:
                QTest::keyClick(modal, Qt::Key_Y, Qt::AltModifier);
                break;
            case Press::AltN:
                QTest::keyClick(modal, Qt::Key_N, Qt::AltModifier);
                break;
            }
        });
        bool doNotShow = !c.tick;
        bool result = !c.result;
        dialog.Message(95, QStringLiteral("Korvane 2000"),
                       QStringLiteral("CAUTION - You may replace existing mail messages with this "
                                      "option.\r\nWould you like additional Help?"),
                       doNotShow, c.helpStyle, result);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(doNotShow, c.tick);
    }
}

TEST(MessageDialogTest, TitleTextAndPicture)
{
    MessageDialog dialog;
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Korvane 2000"));
        EXPECT_EQ(child<QLabel>(modal, "Label1")->text(), QStringLiteral("Line one\n\nLine two"));
        EXPECT_FALSE(child<QLabel>(modal, "Image1")->pixmap().isNull());
        // The previous answer's tick is not carried into a new message.
        EXPECT_FALSE(child<QCheckBox>(modal, "Check1")->isChecked());
        QTest::mouseClick(child<QPushButton>(modal, "cmd0"), Qt::LeftButton);
    });
    bool doNotShow = true;
    bool result = false;
    dialog.Message(95, QStringLiteral("Korvane 2000"), QStringLiteral("Line one\r\n\r\nLine two"),
                   doNotShow, 0, result);
    EXPECT_TRUE(result);
    EXPECT_FALSE(doNotShow);
}

TEST(MessageDialogTest, HelpOpensTheTopicAndLeavesTheDialogOpen)
{
    QList<int> opened;
    MessageDialog dialog([&](int topic) { opened.append(topic); });
    whenModal([&](QWidget* modal) {
        QTest::mouseClick(child<QPushButton>(modal, "cmd1"), Qt::LeftButton);
        EXPECT_TRUE(modal->isVisible());
        QTest::keyClick(modal, Qt::Key_F1);
        EXPECT_TRUE(modal->isVisible());
        QTest::mouseClick(child<QPushButton>(modal, "cmd0"), Qt::LeftButton);
    });
    bool doNotShow = false;
    bool result = true;
    dialog.Message(95, QStringLiteral("Korvane 2000"), QStringLiteral("WAB"), doNotShow, 1050,
                   result);
    EXPECT_EQ(opened, (QList<int>{1050, 1050}));
    EXPECT_FALSE(result);

    // Yes/No messages answer F1 with the opening page's topic.
    opened.clear();
    whenModal([&](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_F1);
        QTest::mouseClick(child<QPushButton>(modal, "cmd1"), Qt::LeftButton);
    });
    dialog.Message(95, QStringLiteral("Korvane 2000"), QStringLiteral("?"), doNotShow, 0, result);
    EXPECT_EQ(opened, (QList<int>{999}));
}

} // namespace
} // namespace kv::gui
