#pragma once

#include <QList>
#include <QString>

namespace kv::gui {

// The help pages compiled into the program, by the context numbers the windows and messages
// ask for.
struct HelpTopic
{
    int context;
    QString title;
    QString page; // resource URL of the page
};

class HelpTopics
{
public:
    static constexpr int kOpeningPage = 999;
    static constexpr int kBackup = 1001;
    static constexpr int kRestore = 1002;
    static constexpr int kCopyFolders = 1005;
    static constexpr int kContactUs = 1006;
    static constexpr int kKeepMessages = 1007;
    static constexpr int kAddressBook = 1050;
    static constexpr int kSynchronize = 1500;
    static constexpr int kRegistryUpdate = 2000;

    static const QList<HelpTopic>& all();
    // The page of a context number; empty for a number the help does not know.
    static QString pageOf(int context);
    static QString contentsPage();
};

} // namespace kv::gui
