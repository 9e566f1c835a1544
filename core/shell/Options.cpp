#include "shell/Options.h"

#include <algorithm>

namespace kv::options {

int numberFromText(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > kMaxValue + 1LL)
            value = kMaxValue + 1LL; // saturate; only the clamp below matters from here
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, -kMaxValue - 1LL, kMaxValue));
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
    // A negative count would ask the purge to delete every backup but "minus n"; keeping all
    // backups is the only sensible reading.
    return copies < 1 ? kOff : copies;
}

OptionView viewOfStored(const QString& stored)
{
    const int value = numberFromText(stored);
    if (value == kOff)
        return {false, QString()};
    return {true, QString::number(value)};
}

QString storedText(int value)
{
    return QString::number(value);
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
    const OptionView view = viewOfStored(storedValue);
    r.on = view.on;
    r.text = view.text;
    return r;
}

} // namespace kv::options
