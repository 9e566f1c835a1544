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
    Left,
    Right,
    HelpThenOk, // Help opens the topic and leaves the dialog open
    CloseBox
};

TEST(MessageDialogTest, ButtonStylesAnswersAndHelp)
{
    const struct
    {
        const char* name;
        int helpStyle;
        bool tick;
        bool f1;
        Press press;
        const char* left; // "" when hidden
        const char* right;
        bool yes;
        QList<int> helpOpened;
    } cases[] = {
        {"yes", 0, false, true, Press::Left, "&Yes", "&No", true, {999}},
        {"no", 0, true, false, Press::Right, "&Yes", "&No", false, {}},
        {"close_box", 0, true, false, Press::CloseBox, "&Yes", "&No", false, {}},
        {"help", 1050, true, true, Press::HelpThenOk, "&OK", "&Help", false, {1050, 1050}},
        {"ok_only", -1, false, false, Press::Right, "", "&OK", false, {}},
    };
    QList<int> opened;
    MessageDialog dialog([&](int topic) { opened.append(topic); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        opened.clear();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), QStringLiteral("Korvane 2000"));
            EXPECT_EQ(child<QLabel>(modal, "textLabel")->text(), QStringLiteral("One\n\nTwo?"));
            EXPECT_FALSE(child<QLabel>(modal, "pictureLabel")->pixmap().isNull());
            auto* left = child<QPushButton>(modal, "leftButton");
            auto* right = child<QPushButton>(modal, "rightButton");
            EXPECT_EQ(left->isVisible() ? left->text() : QString(), QLatin1String(c.left));
            EXPECT_EQ(right->text(), QLatin1String(c.right));
            auto* check = child<QCheckBox>(modal, "doNotShowCheck");
            EXPECT_EQ(check->text(), QStringLiteral("&Do not show this again"));
            EXPECT_FALSE(check->isChecked()); // never carried over from the last message
            if (c.tick)
                QTest::mouseClick(check, Qt::LeftButton);
            if (c.f1)
                QTest::keyClick(modal, Qt::Key_F1);
            switch (c.press) {
            case Press::HelpThenOk:
                QTest::mouseClick(right, Qt::LeftButton);
                EXPECT_TRUE(modal->isVisible());
                [[fallthrough]];
            case Press::Left:
                QTest::mouseClick(left, Qt::LeftButton);
                break;
            case Press::Right:
                QTest::mouseClick(right, Qt::LeftButton);
                break;
            case Press::CloseBox:
                modal->close();
                break;
            }
        });
        bool doNotShow = !c.tick;
        bool yes = !c.yes;
        dialog.showMessage(95, QStringLiteral("Korvane 2000"), QStringLiteral("One\r\n\r\nTwo?"),
                           doNotShow, c.helpStyle, yes);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(yes, c.yes);
        EXPECT_EQ(doNotShow, c.tick);
        EXPECT_EQ(opened, c.helpOpened);
    }
}

} // namespace
} // namespace kv::gui
