#pragma once

#include "shell/Ui.h"

#include <QString>

// The reminder and purge options as the main window asks for them through the Ui: the dialog's
// texts for each mode, and the value an answer stores (the rules are in OptionValues.h).
namespace kv::Options {

enum class Mode
{
    Reminder = 1,
    Purge = 2
};

// The stored value for the answer in either mode.
int valueFor(Mode mode, const OptionsAnswer& answer);

// The dialog for a stored value: captions for the mode, "off" selected with an empty number for
// -1, else the number shown.
OptionsRequest request(Mode mode, const QString& storedValue);

} // namespace kv::Options
