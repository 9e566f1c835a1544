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

struct RegistryHolder
{
    test::FakeRegistry registry;
};

// The real settings store on a registry in memory (built first), counting the writes.
class CountingSettings : private RegistryHolder, public AppSettings
{
public:
    CountingSettings() : AppSettings(registry) {}
    bool saveSetting(const QString& section, const QString& key, const QString& value) override
    {
        ++saves;
        return AppSettings::saveSetting(section, key, value);
    }
    int saves = 0;
};

enum class Choose
{
    Keep,
    On,
    Off
};
enum class Close
{
    Ok,
    Cancel,
    CloseBox
};

struct OptsCase
{
    const char* name;
    OptionsDialog::Mode mode;
    const char* stored; // nullptr: not set
    bool opensOn;
    const char* opensText;
    Choose choose;
    const char* type; // nullptr: leave the box as it is
    Close close;
    const char* saved; // nullptr: nothing saved
};

TEST(OptionsDialogTest, OpensFromTheStoredValueAndSavesTheEnteredOne)
{
    using M = OptionsDialog;
    const OptsCase cases[] = {
        {"reminder_default", M::Reminder, nullptr, true, "2", Choose::Keep, nullptr, Close::Ok,
         "2"},
        {"reminder_45", M::Reminder, "7", true, "7", Choose::Keep, "45", Close::Ok, "31"},
        {"reminder_0", M::Reminder, "7", true, "7", Choose::Keep, "0", Close::Ok, "1"},
        {"reminder_text", M::Reminder, "7", true, "7", Choose::Keep, "soon", Close::Ok, "1"},
        {"reminder_off", M::Reminder, "7", true, "7", Choose::Off, nullptr, Close::Ok, "-1"},
        {"reminder_stored_off", M::Reminder, "-1", false, "", Choose::Keep, nullptr, Close::Ok,
         "-1"},
        {"reminder_turn_on", M::Reminder, "-1", false, "", Choose::On, "14", Close::Ok, "14"},
        {"reminder_cancel", M::Reminder, "7", true, "7", Choose::Keep, "45", Close::Cancel,
         nullptr},
        {"reminder_close_box", M::Reminder, "7", true, "7", Choose::Off, nullptr, Close::CloseBox,
         nullptr},
        {"purge_default", M::Purge, nullptr, false, "", Choose::Keep, nullptr, Close::Ok, "-1"},
        {"purge_5", M::Purge, nullptr, false, "", Choose::On, "5", Close::Ok, "5"},
        {"purge_0", M::Purge, "3", true, "3", Choose::Keep, "0", Close::Ok, "-1"},
        {"purge_text", M::Purge, "3", true, "3", Choose::Keep, "x", Close::Ok, "-1"},
        {"purge_big", M::Purge, "3", true, "3", Choose::Keep, "40", Close::Ok, "40"},
        {"purge_off", M::Purge, "3", true, "3", Choose::Off, nullptr, Close::Ok, "-1"},
    };
    for (const OptsCase& c : cases) {
        SCOPED_TRACE(c.name);
        CountingSettings settings;
        const QString key =
            c.mode == M::Reminder ? QStringLiteral("RemindDays") : QStringLiteral("BackupPurge");
        if (c.stored) {
            ASSERT_TRUE(settings.AppSettings::saveSetting(QStringLiteral("Parms"), key,
                                                          QString::fromLatin1(c.stored)));
        }
        OptionsDialog dialog(settings);
        whenModal([&](QWidget* modal) {
            auto* on = child<QRadioButton>(modal, "optData0");
            auto* off = child<QRadioButton>(modal, "optData1");
            auto* text = child<QLineEdit>(modal, "txtData");
            EXPECT_EQ(on->isChecked(), c.opensOn);
            EXPECT_EQ(off->isChecked(), !c.opensOn);
            EXPECT_EQ(text->text(), QString::fromLatin1(c.opensText));
            EXPECT_EQ(text->isEnabled(), c.opensOn);
            if (c.choose == Choose::On)
                QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(6, on->height() / 2));
            if (c.choose == Choose::Off)
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
            EXPECT_EQ(text->isEnabled(), on->isChecked());
            if (c.type) {
                text->selectAll();
                QTest::keyClicks(text, QString::fromLatin1(c.type));
            }
            switch (c.close) {
            case Close::Ok:
                QTest::mouseClick(child<QPushButton>(modal, "cmd0"), Qt::LeftButton);
                break;
            case Close::Cancel:
                QTest::mouseClick(child<QPushButton>(modal, "cmd1"), Qt::LeftButton);
                break;
            case Close::CloseBox:
                modal->close();
                break;
            }
        });
        c.mode == M::Reminder ? dialog.SetReminder() : dialog.SetBackupPurge();
        EXPECT_FALSE(dialog.isVisible());
        if (c.saved) {
            EXPECT_EQ(settings.saves, 1);
            EXPECT_EQ(settings.getSetting(QStringLiteral("Parms"), key, QStringLiteral("unset")),
                      QString::fromLatin1(c.saved));
        } else {
            EXPECT_EQ(settings.saves, 0);
        }
    }
}

TEST(OptionsDialogTest, CaptionsOfTheTwoUses)
{
    CountingSettings settings;
    OptionsDialog dialog(settings);
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Set Reminder Days"));
        EXPECT_EQ(child<QRadioButton>(modal, "optData0")->text(),
                  QStringLiteral("Remind me to Backup after:"));
        EXPECT_EQ(child<QRadioButton>(modal, "optData1")->text(),
                  QStringLiteral("Do NOT remind me"));
        EXPECT_EQ(child<QLabel>(modal, "lblData")->text(), QStringLiteral("Day(s)"));
        test::saveScreen(modal, QStringLiteral("frmGetOpts_reminder"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    dialog.SetReminder();
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Set Backup Purge"));
        EXPECT_EQ(child<QRadioButton>(modal, "optData0")->text(),
                  QStringLiteral("Delete old Backups if there are more than"));
        EXPECT_EQ(child<QRadioButton>(modal, "optData1")->text(),
                  QStringLiteral("Do NOT Auto Delete"));
        EXPECT_EQ(child<QLabel>(modal, "lblData")->text(), QStringLiteral("Copies"));
        test::saveScreen(modal, QStringLiteral("frmGetOpts_purge"));
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    dialog.SetBackupPurge();
    EXPECT_EQ(settings.saves, 0);
}

} // namespace
} // namespace kv::gui
