#include "shell/Strings.h"

#include "shell/ShellLog.h"

#include <algorithm>
#include <iterator>

namespace kv::Strings {

namespace {

struct Entry
{
    int id;
    const char* text;
};

// Sorted by number. Later parts of the program add their texts here.
constexpr Entry kTable[] = {
    {117, "Are you sure you wish to exit?"},
    {141, " of "},
    {147, "Korvane 2000"},
    {149, "Make &Backup"},
    {164, "&Restore or Copy Folders"},
    {177, "Select \"Restore Now\" to begin the Restore"},
    {178, "&Restore Now"},
    {187, "Do you wish to view the Help File before using Korvane the first time"},
    {207, "The drive is not ready or the folder does not exist"},
    {229, "This program requires Outlook Express "},
    {230, "Please install Outlook Express before running."},
    {234, "Fast Backup Not possible at this time"},
    {236, "WARNING! - You have not included the Windows Address Book."},
    {237, "Loading Outlook Express Folders"},
    {243, "Unable to locate Outlook Express 4 Mail Folders"},
    {244, "Unable to locate Outlook Express 5 Identity Information"},
    {245, "Unable to locate Outlook Express 5 Mail Folders for default identity"},
    {246, "Select Identity to use for this Backup or Restore "},
    {259, "&Do not show this again"},
    {274, "To start Korvane in OE5 mode -"},
    {275, "Remove the \"\\4\" from the shortcut or use the standard shortcut"},
    {277, "Unable to find the \"My Documents\" or \"Personal\" folder:"},
    {278, "This folder is required for a restore of this type"},
    {287, "Select \"Synch Now\" to check the messages"},
    {288, "&Synch Now"},
    {315, "&Clear the diskettes before the backup is written"},
    {317, "Caution - Data will be updated in your system registry"},
    {318, "Would you like additional Information on this update?"},
};

const Entry* find(int id)
{
    const Entry* end = std::end(kTable);
    const Entry* it = std::lower_bound(std::begin(kTable), end, id,
                                       [](const Entry& e, int n) { return e.id < n; });
    return (it != end && it->id == id) ? it : nullptr;
}

} // namespace

QString get(int id)
{
    if (const Entry* e = find(id))
        return QString::fromLatin1(e->text);
    qCWarning(lcShell) << "no resource string" << id;
    return QString();
}

bool has(int id)
{
    return find(id) != nullptr;
}

QString programTitle()
{
    return get(147);
}

} // namespace kv::Strings
