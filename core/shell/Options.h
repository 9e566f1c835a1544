#pragma once

#include "shell/Ui.h"

#include <QString>

// The reminder and purge options: the values they store and the dialog the main window asks
// for them through the Ui. Both are stored as decimal text, -1 being the stored form of "off".
// Shared by the options dialog and the main window's logic.
namespace kv::options {

enum class Mode
{
    Reminder = 1,
    Purge = 2
};

inline constexpr int kOff = -1;
inline constexpr int kMinReminderDays = 1;
inline constexpr int kMaxReminderDays = 31;
// The values are 16-bit; a larger entry is held at the top instead of overflowing.
inline constexpr int kMaxValue = 32767;

// The number at the start of a text, as the old numeric conversion read it: leading blanks, an
// optional sign, digits (a fraction is cut off). Anything not numeric counts as 0. The result is
// kept within the 16-bit range.
int numberFromText(const QString& text);

// The dialog's "on" choice and its text box, turned into the value to store.
// Reminder days: 1..31 (below 1 becomes 1, above 31 becomes 31); off: -1.
int reminderDays(bool on, const QString& text);
// Purge copies: the number; 0 (or a negative number) means keep all, stored as -1; off: -1.
int purgeCopies(bool on, const QString& text);
// The stored value for the answer in either mode.
int valueFor(Mode mode, const OptionsAnswer& answer);

// How a stored value opens the dialog: -1 selects "off" with an empty box, anything else "on"
// with the number shown.
struct OptionView
{
    bool on = false;
    QString text;
};
OptionView viewOfStored(const QString& stored);

QString storedText(int value);

// The dialog for a stored value: captions for the mode and the stored value's view.
OptionsRequest request(Mode mode, const QString& storedValue);

} // namespace kv::options
