#include "shell/Options.h"

#include "shell/OptionValues.h"

namespace kv::Options {

int valueFor(Mode mode, const OptionsAnswer& answer)
{
    return mode == Mode::Reminder ? options::reminderDays(answer.on, answer.text)
                                  : options::purgeCopies(answer.on, answer.text);
}

OptionsRequest request(Mode mode, const QString& storedValue)
{
    OptionsRequest r;
    if (mode == Mode::Reminder) {
        r.caption = QStringLiteral("Set Reminder Days");
        r.onCaption = QStringLiteral("Remind me to Backup after:");
        r.offCaption = QStringLiteral("Do NOT remind me");
        r.unit = QStringLiteral("Day(s)");
    } else {
        r.caption = QStringLiteral("Set Backup Purge");
        r.onCaption = QStringLiteral("Delete old Backups if there are more than");
        r.offCaption = QStringLiteral("Do NOT Auto Delete");
        r.unit = QStringLiteral("Copies");
    }
    const options::OptionView view = options::viewOfStored(storedValue);
    r.on = view.on;
    r.text = view.text;
    return r;
}

} // namespace kv::Options
