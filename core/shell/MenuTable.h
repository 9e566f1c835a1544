#pragma once

#include <optional>

namespace kv {

// The main window's menus, in menu-bar order.
enum class MainMenu
{
    File,
    Options,
    Logs,
    Help
};

// Every entry the logic enables, checks, captions or hears about.
enum class MenuEntry
{
    Backup,
    Restore,
    Synchronise,
    Exit,
    Reminder,
    DefaultIdentity,
    LastIdentity,
    PromptIdentity,
    SwitchIdentity,
    Purge,
    UseSystemTemp,
    ExcludeNews,
    BackupLog,
    RestoreLog,
    AutoShowLog,
    HelpContents,
    HelpBackup,
    HelpRestore,
    HelpSynchronise,
    HelpCopying,
    Tidings,
    Contact,
    About,
};

struct MenuTitle
{
    MainMenu menu;
    const char* objectName;
    const char* caption;
};

// One line of a menu: an entry with its caption, or a separator (no entry).
struct MenuItem
{
    MainMenu menu;
    std::optional<MenuEntry> entry;
    const char* caption;
};

// The layout of the menu bar. The window builds its menus from it; the logic addresses the
// entries and reads which of them belong together.
inline constexpr MenuTitle kMenuTitles[] = {
    {MainMenu::File, "fileMenu", "&File"},
    {MainMenu::Options, "optionsMenu", "&Options"},
    {MainMenu::Logs, "logsMenu", "&Logs"},
    {MainMenu::Help, "helpMenu", "&Help"},
};

inline constexpr MenuItem kMenuItems[] = {
    {MainMenu::File, MenuEntry::Backup, "&Backup"},
    {MainMenu::File, MenuEntry::Restore, "&Restore"},
    {MainMenu::File, MenuEntry::Synchronise, "&Synchronize"},
    {MainMenu::File, std::nullopt, nullptr},
    {MainMenu::File, MenuEntry::Exit, "E&xit"},

    {MainMenu::Options, MenuEntry::Reminder, "Set &Reminder..."},
    {MainMenu::Options, std::nullopt, nullptr},
    {MainMenu::Options, MenuEntry::DefaultIdentity, "Use &Default Identity"},
    {MainMenu::Options, MenuEntry::LastIdentity, "Use &Last Identity"},
    {MainMenu::Options, MenuEntry::PromptIdentity, "&Prompt for Identity"},
    {MainMenu::Options, std::nullopt, nullptr},
    {MainMenu::Options, MenuEntry::SwitchIdentity, "&Switch Identities"},
    {MainMenu::Options, std::nullopt, nullptr},
    {MainMenu::Options, MenuEntry::Purge, "Purge &Old Backups..."},
    {MainMenu::Options, std::nullopt, nullptr},
    {MainMenu::Options, MenuEntry::UseSystemTemp, "Use System Temporary Folder"},
    {MainMenu::Options, std::nullopt, nullptr},
    {MainMenu::Options, MenuEntry::ExcludeNews, "E&xclude News Groups"},

    {MainMenu::Logs, MenuEntry::BackupLog, "View Last &Backup Log"},
    {MainMenu::Logs, MenuEntry::RestoreLog, "View Last &Restore Log"},
    {MainMenu::Logs, std::nullopt, nullptr},
    {MainMenu::Logs, MenuEntry::AutoShowLog, "Automatically &Show logs when complete"},

    {MainMenu::Help, MenuEntry::HelpContents, "&Contents"},
    {MainMenu::Help, MenuEntry::HelpBackup, "How to make a &Backup/Archive File"},
    {MainMenu::Help, MenuEntry::HelpRestore, "How to &Restore from an Archive"},
    {MainMenu::Help, MenuEntry::HelpSynchronise, "How to &Synchronize Mail Folders"},
    {MainMenu::Help, MenuEntry::HelpCopying, "Copying Mail &Folders to another Machine"},
    {MainMenu::Help, std::nullopt, nullptr},
    {MainMenu::Help, MenuEntry::Tidings, "Korvane - Tidings"},
    {MainMenu::Help, std::nullopt, nullptr},
    {MainMenu::Help, MenuEntry::Contact, "Contact &Us"},
    {MainMenu::Help, MenuEntry::About, "&About Korvane"},
};

// What only makes sense with identities: enabled with more than one, hidden in version-4 mode.
inline constexpr MenuEntry kIdentityEntries[] = {MenuEntry::DefaultIdentity,
                                                 MenuEntry::LastIdentity, MenuEntry::PromptIdentity,
                                                 MenuEntry::SwitchIdentity};

} // namespace kv
