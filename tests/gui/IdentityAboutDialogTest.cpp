#include "AboutDialog.h"
#include "IdentityDialog.h"
#include "ModalDriver.h"
#include "ProgramIcon.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::child;
using test::whenModal;

enum class Act
{
    Ok,
    OkAfterPickingRow3,
    DoubleClickRow1,
    Cancel,
    CloseBox
};

struct IdentCase
{
    const char* name;
    int current;
    bool offerCancel;
    Act act;
    int selectedOnOpen; // 0-based row
    int result;
};

TEST(SelIdentTest, ChoosesAnIdentityOrCancels)
{
    const QStringList names = {QStringLiteral("Main Identity"), QStringLiteral("Work"),
                               QStringLiteral("Kids")};
    const IdentCase cases[] = {
        {"ok_keeps_current", 2, true, Act::Ok, 1, 2},
        {"ok_other", 2, true, Act::OkAfterPickingRow3, 1, 3},
        {"double_click", 3, false, Act::DoubleClickRow1, 2, 1},
        {"cancel", 2, true, Act::Cancel, 1, -2},
        {"close_box_with_cancel", 3, true, Act::CloseBox, 2, -3},
        {"close_box_without_cancel", 3, false, Act::CloseBox, 2, 3},
        {"current_out_of_range", 9, false, Act::Ok, 0, 1},
    };
    for (const IdentCase& c : cases) {
        SCOPED_TRACE(c.name);
        IdentityDialog dialog;
        dialog.setCaption(QStringLiteral("Korvane 2000 -- Identity: Main Identity"));
        dialog.setIdentities(names, c.current);
        whenModal([&](QWidget* modal) {
            auto* list = child<QListWidget>(modal, "lstIdent");
            EXPECT_EQ(list->count(), 3);
            EXPECT_EQ(list->currentRow(), c.selectedOnOpen);
            auto* ok = child<QPushButton>(modal, "cmdOK");
            auto* cancel = child<QPushButton>(modal, "cmdCancel");
            EXPECT_EQ(cancel->isVisible(), c.offerCancel);
            switch (c.act) {
            case Act::Ok:
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case Act::OkAfterPickingRow3:
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(2)).center());
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case Act::DoubleClickRow1: {
                const QPoint at = list->visualItemRect(list->item(0)).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
                break;
            }
            case Act::Cancel:
                QTest::mouseClick(cancel, Qt::LeftButton);
                break;
            case Act::CloseBox:
                modal->close();
                break;
            }
        });
        EXPECT_EQ(dialog.ChooseIdent(c.offerCancel), c.result);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST(SelIdentTest, TextsAndButtonPositions)
{
    IdentityDialog dialog;
    dialog.setCaption(QStringLiteral("Korvane 2000"));
    dialog.setIdentities({QStringLiteral("Main Identity"), QStringLiteral("Work")}, 1);
    for (bool offerCancel : {true, false}) {
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), QStringLiteral("Korvane 2000"));
            EXPECT_EQ(child<QLabel>(modal, "lblSelect")->text(),
                      QStringLiteral("Select Identity to use for this Backup or Restore "));
            auto* ok = child<QPushButton>(modal, "cmdOK");
            auto* cancel = child<QPushButton>(modal, "cmdCancel");
            if (offerCancel) {
                EXPECT_EQ(ok->x(), 168); // 2520 twips
                EXPECT_GT(cancel->x(), ok->geometry().right());
                EXPECT_LE(cancel->geometry().right(), modal->width());
            } else {
                // Alone, OK sits in the middle.
                EXPECT_LE(std::abs(2 * ok->x() + ok->width() - modal->width()), 1);
            }
            test::saveScreen(modal, offerCancel ? QStringLiteral("frmSelIdent_cancel")
                                                : QStringLiteral("frmSelIdent_ok"));
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        EXPECT_EQ(dialog.ChooseIdent(offerCancel), 1);
    }
}

TEST(AboutTest, ShowsNameVersionAndIcon)
{
    AboutDialog dialog;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+ rev \\d+\\.\\d+$"))
                    .match(programVersionText())
                    .hasMatch())
        << programVersionText().toStdString();
    EXPECT_EQ(dialog.versionText(), programVersionText());
    dialog.setVersionText(QStringLiteral("5.0 rev 2919.6600"));
    EXPECT_FALSE(programIcon().pixmap(32, 32).isNull());
    EXPECT_FALSE(dialog.windowIcon().isNull());
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(child<QLabel>(modal, "lblName")->text(), QStringLiteral("Korvane 2000"));
        EXPECT_EQ(child<QLabel>(modal, "lblVersion")->text(), QStringLiteral("5.0 rev 2919.6600"));
        EXPECT_FALSE(child<QLabel>(modal, "picIcon")->pixmap().isNull());
        test::saveScreen(modal, QStringLiteral("AboutDialog"));
        QTest::keyClick(modal, Qt::Key_O, Qt::AltModifier);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace kv::gui
