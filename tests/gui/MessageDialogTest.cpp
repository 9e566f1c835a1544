#include "MessageDialog.h"
#include "ModalDriver.h"

#include <QCheckBox>

namespace kv::gui {
namespace {

using namespace test;

TEST(MessageDialogTest, ButtonStylesAnswersAndHelp)
{
    // Name, help style, tick, F1, presses of the left and right button ('L', 'R'; none: the
    // close box), left ("" when hidden) and right caption, yes, help topics opened.
    using Case = std::tuple<const char*, int, bool, bool, const char*, const char*, const char*,
                            bool, QList<int>>;
    const Case cases[] = {
        {"yes", 0, false, true, "L", "&Yes", "&No", true, {999}},
        {"no", 0, true, false, "R", "&Yes", "&No", false, {}},
        {"close_box", 0, true, false, "", "&Yes", "&No", false, {}},
        // Help opens the topic and leaves the dialog open.
        {"help", 1050, true, true, "RL", "&OK", "&Help", false, {1050, 1050}},
        {"ok_only", -1, false, false, "R", "", "&OK", false, {}},
    };
    QList<int> opened;
    MessageDialog dialog([&](int topic) { opened.append(topic); });
    for (const auto& [name, helpStyle, tick, f1, presses, leftText, rightText, wantYes,
                      helpOpened] : cases) {
        SCOPED_TRACE(name);
        opened.clear();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Korvane 2000");
            EXPECT_EQ(child<QLabel>(modal, "textLabel")->text(), "One\n\nTwo?");
            EXPECT_FALSE(child<QLabel>(modal, "pictureLabel")->pixmap().isNull());
            auto* left = child<QPushButton>(modal, "leftButton");
            auto* right = child<QPushButton>(modal, "rightButton");
            EXPECT_EQ(left->isVisible() ? left->text() : QString(), QLatin1String(leftText));
            EXPECT_EQ(right->text(), QLatin1String(rightText));
            auto* check = child<QCheckBox>(modal, "doNotShowCheck");
            EXPECT_EQ(check->text(), "&Do not show this again");
            EXPECT_FALSE(check->isChecked()); // never carried over from the last message
            if (tick)
                QTest::mouseClick(check, Qt::LeftButton);
            if (f1)
                QTest::keyClick(modal, Qt::Key_F1);
            for (const char* p = presses; *p; ++p) {
                EXPECT_TRUE(modal->isVisible());
                QTest::mouseClick(*p == 'L' ? left : right, Qt::LeftButton);
            }
            if (!*presses)
                modal->close();
        });
        bool doNotShow = !tick;
        bool yes = !wantYes;
        dialog.showMessage(95, u"Korvane 2000"_s, u"One\r\n\r\nTwo?"_s, doNotShow, helpStyle, yes);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(yes, wantYes);
        EXPECT_EQ(doNotShow, tick);
        EXPECT_EQ(opened, helpOpened);
    }
}

} // namespace
} // namespace kv::gui
