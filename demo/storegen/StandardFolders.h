#pragma once

#include <QLatin1StringView>
#include <QStringView>

#include <cstdint>
#include <iterator>

namespace kv::storegen {

// The client's standard folders, numbered as a message folder's file-info block and its
// folder record store them; the user's own folders are None.
enum class SpecialFolder : std::uint32_t
{
    None = 0,
    Inbox,
    Outbox,
    SentItems,
    DeletedItems,
    Drafts
};

// Their names in the order of their numbers, as a new identity gets them.
inline constexpr const char* kStandardFolderNames[] = {"Inbox", "Outbox", "Sent Items",
                                                       "Deleted Items", "Drafts"};

inline SpecialFolder specialFolderNamed(QStringView name)
{
    for (std::uint32_t i = 0; i < std::size(kStandardFolderNames); ++i)
        if (name == QLatin1StringView(kStandardFolderNames[i]))
            return SpecialFolder(i + 1);
    return SpecialFolder::None;
}

} // namespace kv::storegen
