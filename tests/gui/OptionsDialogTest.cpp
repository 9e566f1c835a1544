#include "OptionsDialog.h"
#include "ModalDriver.h"
#include "shell/AppSettings.h"
#include "support/FakeRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::child;
using test::whenModal;

enum class Close
{
    Ok,
    OkOff, // choose "off", then OK
    Cancel
};

// The clamping itself is the option values' own; here the dialog shows the stored value, enables
// the box with its choice and saves what it reads on OK only.
TEST(OptionsDialogTest, ShowsTheStoredValueAndSavesTheEnteredOne)
{
    using M = OptionsDialog::Mode;
    const struct
    {
        const char* name;
        M mode;
        const char* stored; // nullptr: not set
        const char* opensText;
        const char* type; // nullptr: leave the box as it is
        Close close;
        const char* saved; // nullptr: nothing saved
    } cases[] = {
        {"reminder_default", M::Reminder, nullptr, "2", nullptr, Close::Ok, "2"},
        {"reminder_clamped", M::Reminder, "7", "7", "45", Close::Ok, "31"},
        {"reminder_off", M::Reminder, "7", "7", nullptr, Close::OkOff, "-1"},
        {"reminder_cancel", M::Reminder, "7", "7", "45", Close::Cancel, nullptr},
        {"purge_turned_on", M::Purge, nullptr, "", "5", Close::Ok, "5"},
        {"purge_zero", M::Purge, "3", "3", "0", Close::Ok, "-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool reminder = c.mode == M::Reminder;
        const QString key = reminder ? QStringLiteral("RemindDays") : QStringLiteral("BackupPurge");
        test::FakeRegistry registry;
        AppSettings settings(registry);
        if (c.stored) {
            ASSERT_TRUE(
                settings.saveSetting(QStringLiteral("Parms"), key, QString::fromLatin1(c.stored)));
        }
        OptionsDialog dialog(settings);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), reminder ? QStringLiteral("Set Reminder Days")
                                                     : QStringLiteral("Set Backup Purge"));
            EXPECT_EQ(child<QLabel>(modal, "unitLabel")->text(),
                      reminder ? QStringLiteral("Day(s)") : QStringLiteral("Copies"));
            auto* on = child<QRadioButton>(modal, "onChoice");
            auto* off = child<QRadioButton>(modal, "offChoice");
            auto* text = child<QLineEdit>(modal, "valueEdit");
            const bool opensOn = *c.opensText != '\0';
            EXPECT_EQ(on->isChecked(), opensOn);
            EXPECT_EQ(text->text(), QString::fromLatin1(c.opensText));
            EXPECT_EQ(text->isEnabled(), opensOn);
            if (c.type) {
                if (!opensOn)
                    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(6, on->height() / 2));
                EXPECT_TRUE(text->isEnabled());
                text->selectAll();
                QTest::keyClicks(text, QString::fromLatin1(c.type));
            }
            switch (c.close) {
            case Close::OkOff:
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
                EXPECT_FALSE(text->isEnabled());
                [[fallthrough]];
            case Close::Ok:
                QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
                break;
            case Close::Cancel:
                QTest::mouseClick(child<QPushButton>(modal, "cancelButton"), Qt::LeftButton);
                break;
            }
        });
        reminder ? dialog.editReminderDays() : dialog.editBackupPurge();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.getSetting(QStringLiteral("Parms"), key, QStringLiteral("unset")),
                  QLatin1String(c.saved    ? c.saved
                                : c.stored ? c.stored
                                           : "unset"));
    }
}

} // namespace
} // namespace kv::gui
