#include "EnvBuilder.h"

#include "StoreBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace kv::demo {

using namespace kv::platform;

namespace {

const QString kShellFolders =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
// The version 4 news account keeps its newsgroup files in this folder below the store's News.
constexpr char kNewsServerFolder[] = "news.example.com";
const QString kClientsMail = QStringLiteral("SOFTWARE\\Clients\\Mail\\Outlook Express");
const QString kMailDllClsid =
    QStringLiteral("CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32");
const QString kAccounts = QStringLiteral("Software\\Microsoft\\Internet Account Manager");
const QString kOe4 = QStringLiteral("Software\\Microsoft\\Outlook Express");

const char* const kIdentityNames[] = {
    "Main Identity", "Work",         "Family", "J. Smith: Private",
    "Newsgroups",    "Club Minutes", "Travel", "Old Mail"};

struct Shortcut
{
    const char* file;
    const char* url;
};
const Shortcut kShortcuts[] = {
    {"Example News.url", "http://www.example.com/news/"},
    {"Weather Service.url", "http://weather.example.org/forecast"},
    {"Links\\Search Page.url", "http://search.example.net/"},
    {"Links\\Web Mail.url", "http://mail.example.com/login"},
    {"Recipes\\Bread.url", "http://www.example.org/recipes/bread.html"},
    {"Recipes\\Soups.url", "http://www.example.org/recipes/soups.html"},
    {"Train Timetable.url", "http://timetable.example.com/"},
};

QString identityKey(const QString& id)
{
    return QStringLiteral("Identities\\") + id;
}

} // namespace

EnvBuilder::EnvBuilder(IRegistry& registry, QString prefixFolder, Options options)
    : m_registry(registry), m_prefix(QDir::cleanPath(prefixFolder)), m_options(std::move(options)),
      m_user(m_options.userName.isEmpty() ? hostUserName() : m_options.userName),
      m_random(m_options.seed)
{
    m_options.identities = qMax(1, m_options.identities);
}

QString EnvBuilder::hostUserName()
{
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty())
        return user;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("user");
}

bool EnvBuilder::prepareRegistryFiles(const QString& prefixFolder, const QString& arch,
                                      QString* error)
{
    const struct
    {
        const char* file;
        const char* root;
    } files[] = {{"system.reg", "\\\\Machine"},
                 {"user.reg", "\\\\User\\\\S-1-5-21-0-0-0-1000"},
                 {"userdef.reg", "\\\\User\\\\.Default"}};
    QDir().mkpath(prefixFolder);
    for (const auto& f : files) {
        QFile file(prefixFolder + QLatin1Char('/') + QLatin1String(f.file));
        if (file.exists())
            continue;
        const QByteArray header = QByteArray("WINE REGISTRY Version 2\n;; All keys relative to ") +
                                  f.root + "\n\n#arch=" + arch.toLatin1() + "\n";
        if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size()) {
            if (error)
                *error = QStringLiteral("cannot write ") + file.fileName();
            return false;
        }
    }
    return true;
}

QString EnvBuilder::profileFolder() const
{
    return QStringLiteral("C:\\users\\") + m_user;
}

QString EnvBuilder::oe4StoreRoot() const
{
    return QStringLiteral("C:\\Program Files\\Outlook Express");
}

QString EnvBuilder::hostPath(const QString& windowsPath) const
{
    const QChar drive = windowsPath.isEmpty() ? QChar() : windowsPath[0].toLower();
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return m_prefix + QStringLiteral("/drive_") + drive + rest;
}

bool EnvBuilder::build(QString* error)
{
    m_error.clear();
    m_identities.clear();
    if (makeDrives() && makeProfile()) {
        setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"), QStringLiteral("Version"),
                  m_options.windowsVersion);
        setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                  QStringLiteral("a:"), QStringLiteral("floppy"));
        if (m_options.client == Client::OE5)
            registerOe5();
        else if (m_options.client == Client::OE4)
            registerOe4();
        writeDialUp();
        writeAddressBook();
        writeFavorites();
        if (m_options.stores && m_error.isEmpty())
            writeStores();
        check(m_registry.flush(), QStringLiteral("registry flush"));
    }
    if (error)
        *error = m_error;
    return m_error.isEmpty();
}

bool EnvBuilder::makeDrives()
{
    const QString devices = m_prefix + QStringLiteral("/dosdevices");
    if (!QDir().mkpath(devices) || !QDir().mkpath(m_prefix + QStringLiteral("/drive_c")) ||
        !QDir().mkpath(m_prefix + QStringLiteral("/drive_a"))) {
        m_error = QStringLiteral("cannot create the drive folders in ") + m_prefix;
        return false;
    }
    const struct
    {
        const char* link;
        const char* target;
    } links[] = {{"c:", "../drive_c"}, {"z:", "/"}, {"a:", "../drive_a"}};
    for (const auto& l : links) {
        const QString path = devices + QLatin1Char('/') + QLatin1String(l.link);
        if (QFileInfo(path).isSymLink())
            continue;
        if (!QFile::link(QLatin1String(l.target), path)) {
            m_error = QStringLiteral("cannot create the drive link ") + path;
            return false;
        }
    }
    return true;
}

bool EnvBuilder::makeProfile()
{
    const QString profile = profileFolder();
    const QStringList folders = {
        QStringLiteral("C:\\windows\\system32"),
        QStringLiteral("C:\\windows\\system"),
        QStringLiteral("C:\\windows\\temp"),
        QStringLiteral("C:\\Program Files\\Korvane"),
        profile + QStringLiteral("\\Documents"),
        profile + QStringLiteral("\\Favorites"),
        profile + QStringLiteral("\\Desktop"),
        profile + QStringLiteral("\\Temp"),
        profile + QStringLiteral("\\AppData\\Roaming"),
        profile + QStringLiteral("\\AppData\\Local"),
    };
    for (const QString& f : folders)
        if (!makeFolder(f))
            return false;
    setString(Hive::CurrentUser, kShellFolders, QStringLiteral("Personal"),
              profile + QStringLiteral("\\Documents"));
    setString(Hive::CurrentUser, kShellFolders, QStringLiteral("Favorites"),
              profile + QStringLiteral("\\Favorites"));
    setString(Hive::CurrentUser, kShellFolders, QStringLiteral("Desktop"),
              profile + QStringLiteral("\\Desktop"));
    setString(Hive::CurrentUser, kShellFolders, QStringLiteral("AppData"),
              profile + QStringLiteral("\\AppData\\Roaming"));
    setString(Hive::CurrentUser, kShellFolders, QStringLiteral("Local AppData"),
              profile + QStringLiteral("\\AppData\\Local"));
    return true;
}

QString EnvBuilder::newGuid()
{
    auto hex = [this](int digits) {
        QString s;
        for (int i = 0; i < digits; ++i)
            s += QString::number(m_random.bounded(16), 16).toUpper();
        return s;
    };
    return QLatin1Char('{') + hex(8) + QLatin1Char('-') + hex(4) + QLatin1Char('-') + hex(4) +
           QLatin1Char('-') + hex(4) + QLatin1Char('-') + hex(12) + QLatin1Char('}');
}

void EnvBuilder::registerOe5()
{
    const QString dll = QStringLiteral("C:\\WINDOWS\\SYSTEM\\MSOE.DLL");
    setString(Hive::ClassesRoot, kMailDllClsid, QString(), dll);
    setString(Hive::LocalMachine, kClientsMail, QString(), QStringLiteral("Outlook Express"));
    setString(Hive::LocalMachine, kClientsMail, QStringLiteral("DLLPath"), dll);
    setString(Hive::LocalMachine, QStringLiteral("SOFTWARE\\Clients\\Mail"), QString(),
              QStringLiteral("Outlook Express"));

    // The first names in order, so that a small environment is predictable; the seed varies
    // the ids and the values.
    for (int i = 0; i < m_options.identities; ++i) {
        Identity identity;
        identity.id = newGuid();
        identity.name = QString::fromUtf8(kIdentityNames[i % std::size(kIdentityNames)]);
        if (i >= int(std::size(kIdentityNames)))
            identity.name += QLatin1Char(' ') + QString::number(i + 1);
        const QString tail = QStringLiteral("\\AppData\\Local\\Identities\\") + identity.id +
                             QStringLiteral("\\Microsoft\\Outlook Express");
        identity.storeRoot = QStringLiteral("%USERPROFILE%") + tail;
        identity.storeFolder = profileFolder() + tail;
        m_identities.append(identity);
    }
    const QString ids = QStringLiteral("Identities");
    setString(Hive::CurrentUser, ids, QStringLiteral("Default User ID"), m_identities.front().id);
    setString(Hive::CurrentUser, ids, QStringLiteral("Last User ID"), m_identities.back().id);
    setString(Hive::CurrentUser, ids, QStringLiteral("Last Username"), m_identities.back().name);
    setDword(Hive::CurrentUser, ids, QStringLiteral("Identity Ordinal"),
             quint32(m_identities.size() + 1));
    for (int i = 0; i < m_identities.size(); ++i) {
        // Every other identity keeps its own default account; the rest use the shared ones.
        writeIdentity(m_identities[i], i % 2 == 0);
        makeFolder(m_identities[i].storeFolder);
    }
    writeSharedAccounts(m_identities.front().storeFolder);
}

void EnvBuilder::writeIdentity(const Identity& identity, bool ownDefaultAccount)
{
    const QString key = identityKey(identity.id);
    setString(Hive::CurrentUser, key, QStringLiteral("Username"), identity.name);
    setString(Hive::CurrentUser, key, QStringLiteral("User ID"), identity.id);
    setDword(Hive::CurrentUser, key, QStringLiteral("Use Password"), 0);

    const QString oe = key + QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0");
    setString(Hive::CurrentUser, oe, QStringLiteral("Store Root"), identity.storeRoot,
              kRegExpandSz);
    setDword(Hive::CurrentUser, oe, QStringLiteral("Running"), 0);

    const QString mail = oe + QStringLiteral("\\Mail");
    setDword(Hive::CurrentUser, mail, QStringLiteral("Check Mail on Startup"), 1);
    setDword(Hive::CurrentUser, mail, QStringLiteral("Poll For Mail"),
             quint32(60000 * (5 + m_random.bounded(25))));
    setDword(Hive::CurrentUser, mail, QStringLiteral("Send Mail Immediately"), 1);
    setDword(Hive::CurrentUser, mail, QStringLiteral("Message Send HTML"), m_random.bounded(2));
    setDword(Hive::CurrentUser, mail, QStringLiteral("Safe Attachments"), 1);

    const QString rules = oe + QStringLiteral("\\Rules\\Mail");
    setDword(Hive::CurrentUser, rules, QStringLiteral("Version"), 3);
    setString(Hive::CurrentUser, rules, QStringLiteral("Order"), QStringLiteral("000 001"));
    const char* ruleNames[] = {"Newsletters to Reading", "Family to Family folder"};
    for (int r = 0; r < 2; ++r) {
        const QString rule = rules + QStringLiteral("\\00") + QString::number(r);
        setString(Hive::CurrentUser, rule, QStringLiteral("Name"), QLatin1String(ruleNames[r]));
        setDword(Hive::CurrentUser, rule, QStringLiteral("Enabled"), 1);
        setString(Hive::CurrentUser, rule + QStringLiteral("\\Criteria\\000"),
                  QStringLiteral("Value"),
                  r ? QStringLiteral("@example.org") : QStringLiteral("newsletter@example.com"));
        setBinary(Hive::CurrentUser, rule + QStringLiteral("\\Actions\\000"),
                  QStringLiteral("Value"), QByteArray::fromHex("0100000002000000"));
    }

    const QString sigs = oe + QStringLiteral("\\Signatures");
    setString(Hive::CurrentUser, sigs, QStringLiteral("Default Signature"),
              QStringLiteral("00000000"));
    setString(Hive::CurrentUser, sigs + QStringLiteral("\\00000000"), QStringLiteral("name"),
              QStringLiteral("Signature #1"));
    setString(Hive::CurrentUser, sigs + QStringLiteral("\\00000000"), QStringLiteral("text"),
              QStringLiteral("Best regards,\r\n") + identity.name);
    setDword(Hive::CurrentUser, sigs + QStringLiteral("\\00000000"), QStringLiteral("type"), 1);

    const QString blocks = oe + QStringLiteral("\\Block Senders\\Mail\\Criteria\\0");
    setString(Hive::CurrentUser, blocks, QStringLiteral("Value"),
              QStringLiteral("offers%1@spam.example.net").arg(m_random.bounded(100)));
    setDword(Hive::CurrentUser, blocks, QStringLiteral("Flags"), 0);

    const QString accounts = key + QLatin1Char('\\') + kAccounts;
    setString(Hive::CurrentUser, accounts, QStringLiteral("Default Mail Account"),
              ownDefaultAccount ? QStringLiteral("00000001") : QString());
    if (ownDefaultAccount) {
        const QString own = accounts + QStringLiteral("\\Accounts\\00000001");
        setString(Hive::CurrentUser, own, QStringLiteral("Account Name"),
                  QStringLiteral("mail.example.com"));
        setString(Hive::CurrentUser, own, QStringLiteral("POP3 Server"),
                  QStringLiteral("pop.example.com"));
        setString(Hive::CurrentUser, own, QStringLiteral("SMTP Server"),
                  QStringLiteral("smtp.example.com"));
        setString(Hive::CurrentUser, own, QStringLiteral("SMTP Display Name"), identity.name);
        setDword(Hive::CurrentUser, own, QStringLiteral("Connection Type"), 3);
    }
}

void EnvBuilder::writeSharedAccounts(const QString& newsFolder)
{
    setString(Hive::CurrentUser, kAccounts, QStringLiteral("Default Mail Account"),
              QStringLiteral("00000001"));
    setString(Hive::CurrentUser, kAccounts, QStringLiteral("Default News Account"),
              QStringLiteral("00000002"));
    setDword(Hive::CurrentUser, kAccounts + QStringLiteral("\\Accounts"), QStringLiteral("NextID"),
             3);
    const QString mail = kAccounts + QStringLiteral("\\Accounts\\00000001");
    const QString address = m_user.toLower() + QStringLiteral("@example.com");
    setString(Hive::CurrentUser, mail, QStringLiteral("Account Name"),
              QStringLiteral("mail.example.com"));
    setDword(Hive::CurrentUser, mail, QStringLiteral("Connection Type"), 3);
    setString(Hive::CurrentUser, mail, QStringLiteral("POP3 Server"),
              QStringLiteral("pop.example.com"));
    setString(Hive::CurrentUser, mail, QStringLiteral("POP3 User Name"), m_user);
    setDword(Hive::CurrentUser, mail, QStringLiteral("POP3 Prompt for Password"), 0);
    setString(Hive::CurrentUser, mail, QStringLiteral("SMTP Server"),
              QStringLiteral("smtp.example.com"));
    setString(Hive::CurrentUser, mail, QStringLiteral("SMTP Display Name"), m_user);
    setString(Hive::CurrentUser, mail, QStringLiteral("SMTP Email Address"), address);
    const QString news = kAccounts + QStringLiteral("\\Accounts\\00000002");
    setString(Hive::CurrentUser, news, QStringLiteral("Account Name"),
              QStringLiteral("news.example.com"));
    setDword(Hive::CurrentUser, news, QStringLiteral("Connection Type"), 3);
    setString(Hive::CurrentUser, news, QStringLiteral("NNTP Server"),
              QStringLiteral("news.example.com"));
    setString(Hive::CurrentUser, news, QStringLiteral("NNTP Display Name"), m_user);
    setString(Hive::CurrentUser, news, QStringLiteral("NNTP Email Address"), address);
    setString(Hive::CurrentUser, news, QStringLiteral("NNTP Data Directory"), newsFolder);
}

void EnvBuilder::registerOe4()
{
    setString(Hive::LocalMachine, kClientsMail, QString(), QStringLiteral("Outlook Express"));
    setString(Hive::LocalMachine, kClientsMail, QStringLiteral("DLLPath"),
              QStringLiteral("C:\\Program Files\\Outlook Express\\mailnews.dll"));
    const QString root = oe4StoreRoot();
    setString(Hive::CurrentUser, kOe4, QStringLiteral("Store Root"), root);
    makeFolder(root + QStringLiteral("\\Mail"));
    makeFolder(root + QStringLiteral("\\News"));
    writeOe4Groups();
    writeSharedAccounts(root + QStringLiteral("\\News\\") + QLatin1String(kNewsServerFolder));
}

bool EnvBuilder::writeStores()
{
    storegen::StoreShape shape;
    shape.messagesPerFolder = m_options.messagesPerFolder;
    if (m_options.client == Client::OE5) {
        for (int i = 0; i < m_identities.size(); ++i) {
            storegen::StoreBuilder store(m_options.seed + quint32(i), shape);
            if (!store.writeOe5(hostPath(m_identities[i].storeFolder))) {
                m_error = store.error();
                return false;
            }
        }
    } else if (m_options.client == Client::OE4) {
        storegen::StoreBuilder store(m_options.seed, shape);
        storegen::StoreSummary summary;
        if (!store.writeOe4(hostPath(oe4StoreRoot()), &summary)) {
            m_error = store.error();
            return false;
        }
        if (!summary.newsDirectory.isEmpty() &&
            summary.newsDirectory != QLatin1String(kNewsServerFolder)) {
            m_error = QStringLiteral("the news folder of the store is not the account's");
            return false;
        }
    }
    return true;
}

void EnvBuilder::writeOe4Groups()
{
    const QString mail = kOe4 + QStringLiteral("\\Mail");
    setDword(Hive::CurrentUser, mail, QStringLiteral("Check Mail on Startup"), 1);
    setDword(Hive::CurrentUser, mail, QStringLiteral("Poll For Mail"), 1800000);
    setDword(Hive::CurrentUser, mail, QStringLiteral("Send Mail Immediately"), 1);
    const QString rule = mail + QStringLiteral("\\Inbox Rules\\000");
    setString(Hive::CurrentUser, rule, QStringLiteral("Description"),
              QStringLiteral("Newsletters to Reading"));
    setString(Hive::CurrentUser, rule, QStringLiteral("From"),
              QStringLiteral("newsletter@example.com"));
    setString(Hive::CurrentUser, rule, QStringLiteral("Move To"), QStringLiteral("Reading"));
    const QString sigs = kOe4 + QStringLiteral("\\Signatures");
    setString(Hive::CurrentUser, sigs, QStringLiteral("Default Signature"),
              QStringLiteral("00000000"));
    setString(Hive::CurrentUser, sigs + QStringLiteral("\\00000000"), QStringLiteral("text"),
              QStringLiteral("Regards,\r\n") + m_user);
    setString(Hive::CurrentUser, kOe4 + QStringLiteral("\\Block Senders\\Mail\\Criteria\\0"),
              QStringLiteral("Value"), QStringLiteral("offers@spam.example.net"));
}

void EnvBuilder::writeDialUp()
{
    const QString name = QStringLiteral("Example Dial-up");
    setString(Hive::CurrentUser, QStringLiteral("RemoteAccess"), QStringLiteral("Default"), name);
    QByteArray address(64, '\0');
    for (char& c : address)
        c = char(m_random.bounded(256));
    setBinary(Hive::CurrentUser, QStringLiteral("RemoteAccess\\Addresses"), name, address);
    setString(Hive::CurrentUser, QStringLiteral("RemoteAccess\\Profile\\") + name,
              QStringLiteral("User"), m_user);
}

void EnvBuilder::writeAddressBook()
{
    const QString folder =
        profileFolder() + QStringLiteral("\\AppData\\Roaming\\Microsoft\\Address Book");
    makeFolder(folder);
    const QString path = folder + QLatin1Char('\\') + m_user + QStringLiteral(".wab");
    setString(Hive::CurrentUser, QStringLiteral("Software\\Microsoft\\WAB\\WAB4\\Wab File Name"),
              QString(), path);
    // The program copies the address book whole and never reads it, so random bytes stand in
    // for one; without the file the backup leaves the address book out and there is nothing to
    // restore.
    QByteArray book(24 * 1024, '\0');
    for (char& c : book)
        c = char(m_random.bounded(256));
    writeFile(path, book);
}

bool EnvBuilder::writeFavorites()
{
    const QString favorites = profileFolder() + QStringLiteral("\\Favorites\\");
    for (const Shortcut& s : kShortcuts) {
        if (m_random.bounded(4) == 0 && QByteArray(s.file).contains('\\'))
            continue; // not every user has every folder
        const QByteArray text = QByteArray("[InternetShortcut]\r\nURL=") + s.url + "\r\n";
        if (!writeFile(favorites + QLatin1String(s.file), text))
            return false;
    }
    return true;
}

bool EnvBuilder::makeFolder(const QString& windowsPath)
{
    if (QDir().mkpath(hostPath(windowsPath)))
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("cannot create the folder ") + hostPath(windowsPath);
    return false;
}

bool EnvBuilder::writeFile(const QString& windowsPath, const QByteArray& bytes)
{
    const QString host = hostPath(windowsPath);
    QDir().mkpath(QFileInfo(host).absolutePath());
    QFile f(host);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("cannot write ") + host + QStringLiteral(": ") + f.errorString();
    return false;
}

void EnvBuilder::setString(Hive hive, const QString& key, const QString& name, const QString& value,
                           quint32 type)
{
    check(m_registry.setValue(hive, key, name, RegValue::fromString(value, type)), key);
}

void EnvBuilder::setDword(Hive hive, const QString& key, const QString& name, quint32 value)
{
    check(m_registry.setValue(hive, key, name, RegValue::fromDword(value)), key);
}

void EnvBuilder::setBinary(Hive hive, const QString& key, const QString& name,
                           const QByteArray& bytes)
{
    check(m_registry.setValue(hive, key, name, RegValue::fromBinary(bytes)), key);
}

void EnvBuilder::check(WinError rc, const QString& what)
{
    if (rc != kErrorSuccess && m_error.isEmpty())
        m_error = QStringLiteral("cannot write %1 (error %2): %3")
                      .arg(what)
                      .arg(rc)
                      .arg(m_registry.lastErrorText());
}

} // namespace kv::demo
