#include "HelpTopics.h"

namespace kv::gui {

namespace {
QString page(const char* name)
{
    return QStringLiteral("qrc:/help/") + QLatin1String(name);
}
} // namespace

const QList<HelpTopic>& HelpTopics::all()
{
    static const QList<HelpTopic> topics = {
        {kOpeningPage, QStringLiteral("Welcome to Korvane 2000"), page("welcome.html")},
        {kBackup, QStringLiteral("How to make a Backup/Archive File"), page("backup.html")},
        {kRestore, QStringLiteral("How to Restore from an Archive"), page("restore.html")},
        {kSynchronize, QStringLiteral("How to Synchronize Mail Folders"), page("synchronize.html")},
        {kCopyFolders, QStringLiteral("Copying Mail Folders to another Machine"),
         page("copyfolders.html")},
        {kKeepMessages, QStringLiteral("Keeping the messages you already have"),
         page("keepmessages.html")},
        {kAddressBook, QStringLiteral("The Address Book in use by Outlook Express"),
         page("addressbook.html")},
        {kRegistryUpdate, QStringLiteral("Settings restored into the system registry"),
         page("registry.html")},
        {kContactUs, QStringLiteral("Contact Us"), page("contact.html")},
    };
    return topics;
}

QString HelpTopics::pageOf(int context)
{
    for (const HelpTopic& topic : all()) {
        if (topic.context == context)
            return topic.page;
    }
    return {};
}

QString HelpTopics::contentsPage()
{
    return page("contents.html");
}

} // namespace kv::gui
