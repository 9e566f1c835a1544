#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace kv::storegen {

// Size and shape knobs of a generated store.
struct StoreShape
{
    int messagesPerFolder = 12;   // average; Inbox gets twice as many, Outbox none
    int inboxMessages = -1;       // Inbox alone, when not the default of twice the average
    int userFolders = 2;          // top-level folders of the user's own, each with nested ones
    int nestingDepth = 2;         // levels of nested folders below each user folder
    bool news = true;             // a news account with newsgroups
    int newsgroups = 2;           // newsgroups with messages (one more is subscribed, never opened)
};

// What a builder wrote, for the caller that records the store in a registry or checks it.
struct StoreFolder
{
    QString name;
    QString parentName;           // "" for top-level folders
    QString fileName;             // relative to the store folder; "" when the file was never created
    int number = 0;               // the folder's id / number in the folder index
    int parentNumber = 0;
    int messages = 0;
    bool news = false;            // a news account or a newsgroup
    bool hasIndex = true;         // OE4: the ".idx" companion exists
};

struct StoreSummary
{
    QList<StoreFolder> folders;
    QString newsServer;           // account name of the news account ("" without news)
    QString newsDirectory;        // OE4: its folder below News\ (the "NNTP Data Directory")
    int totalMessages = 0;
};

// Writes whole message stores into a host folder, deterministically from a seed:
// OE5: Folders.dbx, one ".dbx" per folder that has a file, pop3uidl.dbx;
// OE4: Mail\folders.nch with Mail\*.mbx and *.idx, news under News\<server>\.
class StoreBuilder
{
public:
    explicit StoreBuilder(std::uint64_t seed, StoreShape shape = {});

    bool writeOe5(const QString& storeFolder, StoreSummary* summary = nullptr);
    bool writeOe4(const QString& hostFolder, StoreSummary* summary = nullptr);
    const QString& error() const { return m_error; }

private:
    QList<StoreFolder> layout(bool oe5) const;
    int messageCount(const QString& name, int salt) const;

    std::uint64_t m_seed;
    StoreShape m_shape;
    QString m_error;
};

} // namespace kv::storegen
