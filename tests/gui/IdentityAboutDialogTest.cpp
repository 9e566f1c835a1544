#include "AboutDialog.h"
#include "IdentityDialog.h"
#include "ModalDriver.h"
#include "ProgramIcon.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::child;
using test::whenModal;

enum class Act
{
    Ok,
    PickRow3ThenOk,
    DoubleClickRow1,
    Cancel,
    CloseBox
};

TEST(IdentityDialogTest, ChoosesAnIdentityOrCancels)
{
    const QStringList names = {"Main Identity", "Work", "Kids"};
    const struct
    {
        const char* name;
        int current;
        bool offerCancel;
        Act act;
        int selectedOnOpen; // 0-based row
        int result;
    } cases[] = {
        {"ok_keeps_current", 2, true, Act::Ok, 1, 2},
        {"ok_other", 2, true, Act::PickRow3ThenOk, 1, 3},
        {"double_click", 3, false, Act::DoubleClickRow1, 2, 1},
        {"cancel", 2, true, Act::Cancel, 1, -2},
        {"close_box_with_cancel", 3, true, Act::CloseBox, 2, -3},
        {"close_box_without_cancel", 3, false, Act::CloseBox, 2, 3},
        {"current_out_of_range", 9, false, Act::Ok, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IdentityDialog dialog;
        dialog.setCaption(QStringLiteral("Korvane 2000 -- Identity: Work"));
        dialog.setIdentities(names, c.current);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), QStringLiteral("Korvane 2000 -- Identity: Work"));
            EXPECT_EQ(child<QLabel>(modal, "promptLabel")->text(),
                      QStringLiteral("Select Identity to use for this Backup or Restore "));
            auto* list = child<QListWidget>(modal, "identityList");
            EXPECT_EQ(list->currentRow(), c.selectedOnOpen);
            auto* ok = child<QPushButton>(modal, "okButton");
            auto* cancel = child<QPushButton>(modal, "cancelButton");
            EXPECT_EQ(cancel->isVisible(), c.offerCancel);
            // Beside Cancel, OK sits at 2520 twips; alone, in the middle.
            EXPECT_EQ(ok->x(), c.offerCancel ? 168 : (modal->width() - ok->width()) / 2);
            const auto rowAt = [list](int row) {
                return list->visualItemRect(list->item(row)).center();
            };
            switch (c.act) {
            case Act::Ok:
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case Act::PickRow3ThenOk:
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(2));
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case Act::DoubleClickRow1:
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowAt(0));
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowAt(0));
                break;
            case Act::Cancel:
                QTest::mouseClick(cancel, Qt::LeftButton);
                break;
            case Act::CloseBox:
                modal->close();
                break;
            }
        });
        EXPECT_EQ(dialog.chooseIdentity(c.offerCancel), c.result);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(AboutDialogTest, ShowsNameVersionAndIcon)
{
    AboutDialog dialog;
    EXPECT_EQ(dialog.versionText(), programVersionText());
    dialog.setVersionText(QStringLiteral("5.0 rev 2919.6600"));
    EXPECT_FALSE(dialog.windowIcon().isNull());
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(child<QLabel>(modal, "nameLabel")->text(), QStringLiteral("Korvane 2000"));
        EXPECT_EQ(child<QLabel>(modal, "versionLabel")->text(),
                  QStringLiteral("5.0 rev 2919.6600"));
        EXPECT_FALSE(child<QLabel>(modal, "iconLabel")->pixmap().isNull());
        QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace kv::gui
