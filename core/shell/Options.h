#pragma once

#include "shell/Ui.h"

#include <QString>

// The reminder and purge options: what their dialog shows for a stored value, and the value an
// answer stores. Both store decimal text; -1 is "off".
namespace kv::Options {

enum class Mode
{
    Reminder = 1,
    Purge = 2
};

inline constexpr int kOff = -1;
inline constexpr int kMinReminderDays = 1;
inline constexpr int kMaxReminderDays = 31;

// The number typed into the dialog; anything that is not a whole number counts as 0.
int numberFromText(const QString& text);

// The days to store for the reminder: 1..31 with the number, -1 with "off".
int reminderDays(bool on, const QString& text);
// The copies to keep for the purge: the number (0 or less meaning "off", -1) or -1 with "off".
int purgeCopies(bool on, const QString& text);
// The stored value for the answer in either mode.
int valueFor(Mode mode, const OptionsAnswer& answer);

// The dialog for a stored value: captions for the mode, "off" selected with an empty number for
// -1, else the number shown.
OptionsRequest request(Mode mode, const QString& storedValue);

} // namespace kv::Options
