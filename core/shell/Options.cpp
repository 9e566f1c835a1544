#include "shell/Options.h"

#include <algorithm>

namespace kv::Options {

int numberFromText(const QString& text)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok)
        return 0;
    // The dialog's value is 16-bit; a huge entry is only ever clamped, never wrapped.
    return int(std::clamp<qlonglong>(n, -32768, 32767));
}

int reminderDays(bool on, const QString& text)
{
    if (!on)
        return kOff;
    return std::clamp(numberFromText(text), kMinReminderDays, kMaxReminderDays);
}

int purgeCopies(bool on, const QString& text)
{
    if (!on)
        return kOff;
    const int copies = numberFromText(text);
    // A negative count would make the purge keep nothing sensible: it is "off" like 0.
    return copies <= 0 ? kOff : copies;
}

int valueFor(Mode mode, const OptionsAnswer& answer)
{
    return mode == Mode::Reminder ? reminderDays(answer.on, answer.text)
                                  : purgeCopies(answer.on, answer.text);
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
    const int value = numberFromText(storedValue);
    r.on = value != kOff;
    r.text = r.on ? QString::number(value) : QString();
    return r;
}

} // namespace kv::Options
