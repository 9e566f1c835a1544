#include "OptionsDialog.h"
#include "ModalDriver.h"
#include "shell/AppSettings.h"
#include "support/FakeRegistry.h"

#include <QLineEdit>
#include <QRadioButton>

namespace kv::gui {
namespace {

using namespace test;

// The clamping itself is the option values' own; here the dialog shows the stored value, enables
// the box with its choice and saves what it reads on OK only.
TEST(OptionsDialogTest, ShowsTheStoredValueAndSavesTheEnteredOne)
{
    using M = OptionsDialog::Mode;
    // Name, mode, stored (nullptr: not set), text on opening, typed (nullptr: left as it is;
    // "off": the off choice), button, saved (nullptr: nothing saved).
    using Case =
        std::tuple<const char*, M, const char*, const char*, const char*, const char*, const char*>;
    const Case cases[] = {
        {"reminder_default", M::Reminder, nullptr, "2", nullptr, "okButton", "2"},
        {"reminder_clamped", M::Reminder, "7", "7", "45", "okButton", "31"},
        {"reminder_off", M::Reminder, "7", "7", "off", "okButton", "-1"},
        {"reminder_cancel", M::Reminder, "7", "7", "45", "cancelButton", nullptr},
        {"purge_turned_on", M::Purge, nullptr, "", "5", "okButton", "5"},
        {"purge_zero", M::Purge, "3", "3", "0", "okButton", "-1"},
    };
    for (const auto& [name, mode, stored, opensText, type, button, saved] : cases) {
        SCOPED_TRACE(name);
        const bool reminder = mode == M::Reminder;
        const QString key = reminder ? u"RemindDays"_s : u"BackupPurge"_s;
        FakeRegistry registry;
        AppSettings settings(registry);
        if (stored) {
            ASSERT_TRUE(settings.saveSetting(u"Parms"_s, key, QString::fromLatin1(stored)));
        }
        OptionsDialog dialog(settings);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), reminder ? "Set Reminder Days" : "Set Backup Purge");
            EXPECT_EQ(child<QLabel>(modal, "unitLabel")->text(), reminder ? "Day(s)" : "Copies");
            auto* on = child<QRadioButton>(modal, "onChoice");
            auto* off = child<QRadioButton>(modal, "offChoice");
            auto* text = child<QLineEdit>(modal, "valueEdit");
            const bool opensOn = *opensText != '\0';
            EXPECT_EQ(on->isChecked(), opensOn);
            EXPECT_EQ(text->text(), QString::fromLatin1(opensText));
            EXPECT_EQ(text->isEnabled(), opensOn);
            if (type && type == std::string_view("off")) {
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
                EXPECT_FALSE(text->isEnabled());
            } else if (type) {
                if (!opensOn)
                    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(6, on->height() / 2));
                EXPECT_TRUE(text->isEnabled());
                text->selectAll();
                QTest::keyClicks(text, QString::fromLatin1(type));
            }
            QTest::mouseClick(child<QPushButton>(modal, button), Qt::LeftButton);
        });
        reminder ? dialog.editReminderDays() : dialog.editBackupPurge();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.getSetting(u"Parms"_s, key, u"unset"_s),
                  QLatin1String(saved    ? saved
                                : stored ? stored
                                         : "unset"));
    }
}

} // namespace
} // namespace kv::gui
