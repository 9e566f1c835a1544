#include "AboutDialog.h"
#include "IdentityDialog.h"
#include "ModalDriver.h"
#include "ProgramIcon.h"

#include <QListWidget>

namespace kv::gui {
namespace {

using namespace test;

TEST(IdentityDialogTest, ChoosesAnIdentityOrCancels)
{
    const QStringList names = {"Main Identity", "Work", "Kids"};
    // Name, current, offer Cancel, row clicked (0-based, -1: none), closing button (nullptr:
    // the close box, "double": a double click on the clicked row), row selected on opening,
    // result.
    using Case = std::tuple<const char*, int, bool, int, const char*, int, int>;
    const Case cases[] = {
        {"ok_keeps_current", 2, true, -1, "okButton", 1, 2},
        {"ok_other", 2, true, 2, "okButton", 1, 3},
        {"double_click", 3, false, 0, "double", 2, 1},
        {"cancel", 2, true, -1, "cancelButton", 1, -2},
        {"close_box_with_cancel", 3, true, -1, nullptr, 2, -3},
        {"close_box_without_cancel", 3, false, -1, nullptr, 2, 3},
        {"current_out_of_range", 9, false, -1, "okButton", 0, 1},
    };
    for (const auto& [name, current, offerCancel, clickRow, button, selectedOnOpen, result] :
         cases) {
        SCOPED_TRACE(name);
        IdentityDialog dialog;
        dialog.setCaption(u"Korvane 2000 -- Identity: Work"_s);
        dialog.setIdentities(names, current);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Korvane 2000 -- Identity: Work");
            EXPECT_EQ(child<QLabel>(modal, "promptLabel")->text(),
                      "Select Identity to use for this Backup or Restore ");
            auto* list = child<QListWidget>(modal, "identityList");
            EXPECT_EQ(list->currentRow(), selectedOnOpen);
            auto* ok = child<QPushButton>(modal, "okButton");
            EXPECT_EQ(child<QPushButton>(modal, "cancelButton")->isVisible(), offerCancel);
            // Beside Cancel, OK sits at 2520 twips; alone, in the middle.
            EXPECT_EQ(ok->x(), offerCancel ? 168 : (modal->width() - ok->width()) / 2);
            const QPoint row =
                clickRow < 0 ? QPoint() : list->visualItemRect(list->item(clickRow)).center();
            if (clickRow >= 0)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            if (!button)
                modal->close();
            else if (button == std::string_view("double"))
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
            else
                QTest::mouseClick(child<QPushButton>(modal, button), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.chooseIdentity(offerCancel), result);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(AboutDialogTest, ShowsNameVersionAndIcon)
{
    AboutDialog dialog;
    EXPECT_EQ(dialog.versionText(), programVersionText());
    dialog.setVersionText(u"5.0 rev 2919.6600"_s);
    EXPECT_FALSE(dialog.windowIcon().isNull());
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(child<QLabel>(modal, "nameLabel")->text(), "Korvane 2000");
        EXPECT_EQ(child<QLabel>(modal, "versionLabel")->text(), "5.0 rev 2919.6600");
        EXPECT_FALSE(child<QLabel>(modal, "iconLabel")->pixmap().isNull());
        QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace kv::gui
