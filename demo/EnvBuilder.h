#pragma once

#include "platform/IRegistry.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>

namespace kv::demo {

// Builds a Windows environment in a Wine prefix, as a user of the mail client would have it:
// the drive folders and the user's profile, the client's registration (version 5 with its
// identities, or version 4), the store folders, the address book's registration, Favorites with
// a few shortcuts, mail and news accounts, and the six settings groups the program exports.
// The registry is written through the given IRegistry (the prefix's own for the tool, an
// in-memory one in tests); folders and files are created below the prefix folder.
// The message stores themselves are written by the store generator.
class EnvBuilder
{
public:
    enum class Client
    {
        OE5,
        OE4,
        None
    };

    struct Options
    {
        Client client = Client::OE5;
        int identities = 2;  // version 5 only; at least 1
        quint32 seed = 2000; // names, ids and values follow from it
        QString userName;    // "" for the host's user, as Wine names the profile
        QString windowsVersion = QStringLiteral("win98");
        bool stores = true;         // write the message stores (folder index and message files)
        int messagesPerFolder = 12; // their average size
    };

    struct Identity
    {
        QString id;          // "{XXXXXXXX-...}"
        QString name;        // "Username"
        QString storeRoot;   // as stored, "%USERPROFILE%\..."
        QString storeFolder; // expanded Windows path, no trailing "\"
    };

    EnvBuilder(platform::IRegistry& registry, QString prefixFolder, Options options);

    // False with a message when a folder, file or registry value could not be made.
    bool build(QString* error);

    const QString& userName() const { return m_user; }
    QString profileFolder() const; // "C:\users\<name>"
    const QList<Identity>& identities() const { return m_identities; }
    // Version 4: the "Store Root" (with Mail and News below it).
    QString oe4StoreRoot() const;
    // The host path of a Windows path on drive C: or A:.
    QString hostPath(const QString& windowsPath) const;

    static QString hostUserName();
    // Starts the prefix's three registry files (when missing) with their headers and the
    // architecture line, which Wine needs to accept the prefix ("win64" for a 64-bit Wine).
    static bool prepareRegistryFiles(const QString& prefixFolder, const QString& arch,
                                     QString* error);

private:
    bool makeDrives();
    bool makeProfile();
    void registerOe5();
    void registerOe4();
    void writeIdentity(const Identity& identity, bool ownDefaultAccount);
    void writeSharedAccounts(const QString& newsFolder);
    void writeDialUp();
    void writeOe4Groups();
    void writeAddressBook();
    bool writeFavorites();
    QString newGuid();
    bool writeStores();

    bool makeFolder(const QString& windowsPath);
    bool writeFile(const QString& windowsPath, const QByteArray& bytes);
    void setString(platform::Hive hive, const QString& key, const QString& name,
                   const QString& value, quint32 type = platform::kRegSz);
    void setDword(platform::Hive hive, const QString& key, const QString& name, quint32 value);
    void setBinary(platform::Hive hive, const QString& key, const QString& name,
                   const QByteArray& bytes);
    void check(platform::WinError rc, const QString& what);

    platform::IRegistry& m_registry;
    QString m_prefix;
    Options m_options;
    QString m_user;
    QRandomGenerator m_random;
    QList<Identity> m_identities;
    QString m_error;
};

} // namespace kv::demo
