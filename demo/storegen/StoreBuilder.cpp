#include "StoreBuilder.h"

#include "DbxMessageWriter.h"
#include "FoldersDbxWriter.h"
#include "MbxWriter.h"
#include "MessageGenerator.h"
#include "NchWriter.h"
#include "Pop3UidlWriter.h"
#include "StandardFolders.h"
#include "StoregenLog.h"

#include <QDir>
#include <QFile>

namespace kv::storegen {

namespace {

// One name with a letter beyond ASCII, as users write them (stored in the code page).
const char* const kUserNames[] = {"Projects", "Pers\xC3\xB6nlich", "Receipts", "Clubs", "Travel",
                                  "Work"};
const char* const kNested[] = {"2002", "Archive", "Old", "Misc"};
const char* const kGroups[] = {"alt.test", "comp.lang.c++", "de.comp.misc", "rec.music.info",
                               "microsoft.public.test"};
constexpr int kNewsServerNumber = 100;

// The generator's names use only letters on which Latin-1 and Windows-1252 agree.
QByteArray ansi(const QString& s)
{
    return s.toLatin1();
}

} // namespace

StoreBuilder::StoreBuilder(std::uint64_t seed, StoreShape shape) : m_seed(seed), m_shape(shape) {}

int StoreBuilder::messageCount(const QString& name, int salt) const
{
    if (name == QLatin1String("Outbox"))
        return 0;
    const int base = std::max(0, m_shape.messagesPerFolder);
    if (name == QLatin1String("Inbox"))
        return m_shape.inboxMessages >= 0 ? m_shape.inboxMessages : 2 * base;
    // Spread around the average, the same for a seed.
    const std::uint64_t h =
        (m_seed + 1) * 0x9E3779B97F4A7C15ull + std::uint64_t(salt) * 0xBF58476D1CE4E5B9ull;
    return base ? int((h >> 33) % std::uint64_t(base + 1)) + base / 2 : 0;
}

QList<StoreFolder> StoreBuilder::layout(bool oe5) const
{
    QList<StoreFolder> v;
    const QString ext = oe5 ? QStringLiteral(".dbx") : QStringLiteral(".mbx");
    const int localParent = oe5 ? 1 : 0;
    int number = oe5 ? 4 : 1;
    for (const char* s : kStandardFolderNames) {
        StoreFolder f;
        f.name = QLatin1String(s);
        f.fileName = f.name + ext;
        f.number = number++;
        f.parentNumber = localParent;
        f.parentName = oe5 ? QStringLiteral("Local Folders") : QString();
        f.messages = messageCount(f.name, f.number);
        v.append(f);
    }
    if (oe5)
        number = 9;
    for (int u = 0; u < m_shape.userFolders; ++u) {
        StoreFolder top;
        top.name = QString::fromUtf8(kUserNames[u % std::size(kUserNames)]);
        if (u >= int(std::size(kUserNames)))
            top.name += QString::number(u);
        top.fileName = top.name + ext;
        top.number = number++;
        top.parentNumber = localParent;
        top.parentName = oe5 ? QStringLiteral("Local Folders") : QString();
        top.messages = messageCount(top.name, top.number);
        v.append(top);
        StoreFolder parent = top;
        for (int d = 0; d < m_shape.nestingDepth; ++d) {
            StoreFolder f;
            f.name = QLatin1String(kNested[d % std::size(kNested)]);
            f.fileName = top.name + QLatin1Char(' ') + f.name +
                         (d >= int(std::size(kNested)) ? QString::number(d) : QString()) + ext;
            f.number = number++;
            f.parentNumber = parent.number;
            f.parentName = parent.name;
            f.messages = messageCount(f.name, f.number);
            v.append(f);
            parent = f;
        }
    }
    // A folder the user made but never opened: listed in the index, no message file.
    StoreFolder empty;
    empty.name = QStringLiteral("Unused");
    empty.number = number++;
    empty.parentNumber = localParent;
    empty.parentName = oe5 ? QStringLiteral("Local Folders") : QString();
    if (!oe5)
        empty.fileName = empty.name + ext;
    v.append(empty);
    return v;
}

bool StoreBuilder::writeOe5(const QString& storeFolder, StoreSummary* summary)
{
    if (!QDir().mkpath(storeFolder)) {
        m_error = QStringLiteral("cannot create %1").arg(storeFolder);
        qCWarning(lcStoregen) << m_error;
        return false;
    }
    QList<StoreFolder> folders = layout(true);
    StoreSummary sum;
    if (m_shape.news) {
        StoreFolder server;
        server.name = QStringLiteral("news.example.com");
        server.number = kNewsServerNumber;
        server.news = true;
        folders.append(server);
        sum.newsServer = server.name;
        const int groups = std::min<int>(m_shape.newsgroups, int(std::size(kGroups)) - 1);
        for (int g = 0; g <= groups; ++g) {
            StoreFolder f;
            f.name = QLatin1String(kGroups[g]);
            f.number = kNewsServerNumber + 1 + g;
            f.parentNumber = kNewsServerNumber;
            f.parentName = server.name;
            f.news = true;
            // The last group is subscribed but was never opened, so it has no file.
            if (g < groups) {
                f.fileName = f.name + QStringLiteral(".dbx");
                f.messages = messageCount(f.name, f.number);
            }
            folders.append(f);
        }
    }

    const MessageGenerator gen(m_seed);
    std::uint64_t index = 0;
    std::vector<QByteArray> uidls;
    std::vector<DbxFolder> records = FoldersDbxWriter::standardFolders();
    for (StoreFolder& f : folders) {
        std::uint32_t unread = 0;
        if (!f.fileName.isEmpty()) {
            DbxMessageWriter::Options options;
            options.specialFolder = specialFolderNamed(f.name);
            DbxMessageWriter w(options);
            if (!w.open(storeFolder + QLatin1Char('/') + f.fileName, ansi(f.name))) {
                m_error = w.error();
                return false;
            }
            for (int i = 0; i < f.messages; ++i) {
                const MailMessage m = gen.message(index++);
                unread += m.read ? 0 : 1;
                if (f.name == QLatin1String("Inbox"))
                    uidls.push_back("UID" + QByteArray::number(m_seed) + "-" +
                                    QByteArray::number(i));
                if (!w.add(m)) {
                    m_error = w.error();
                    return false;
                }
            }
            if (!w.finish()) {
                m_error = w.error();
                return false;
            }
        }
        sum.totalMessages += f.messages;
        DbxFolder* rec = nullptr;
        for (DbxFolder& r : records)
            if (r.id == std::uint32_t(f.number))
                rec = &r;
        if (!rec) {
            records.push_back({});
            rec = &records.back();
            rec->id = std::uint32_t(f.number);
            rec->parent = f.parentNumber;
            rec->name = ansi(f.name);
            if (f.number == kNewsServerNumber) {
                rec->accountId = "00000002";
                rec->flags = 0x00040029;
                rec->type = DbxFolder::StoreType::News;
            } else if (f.news) {
                rec->type = DbxFolder::StoreType::News;
            }
        }
        rec->fileName = ansi(f.fileName);
        rec->messageCount = std::uint32_t(f.messages);
        rec->unreadCount = unread;
    }
    QString err;
    if (!FoldersDbxWriter::write(storeFolder + QStringLiteral("/Folders.dbx"), records,
                                 130000000000000000ull + m_seed * 10000000ull, &err) ||
        !Pop3UidlWriter::write(storeFolder + QStringLiteral("/pop3uidl.dbx"), "pop.example.com",
                               uidls, &err) ||
        !Pop3UidlWriter::writeEmptyOffline(storeFolder + QStringLiteral("/Offline.dbx"), &err)) {
        m_error = err;
        return false;
    }
    sum.folders = folders;
    if (summary)
        *summary = sum;
    return true;
}

bool StoreBuilder::writeOe4(const QString& hostFolder, StoreSummary* summary)
{
    const QString mail = hostFolder + QStringLiteral("/Mail");
    if (!QDir().mkpath(mail)) {
        m_error = QStringLiteral("cannot create %1").arg(mail);
        qCWarning(lcStoregen) << m_error;
        return false;
    }
    QList<StoreFolder> folders = layout(false);
    StoreSummary sum;
    const MessageGenerator gen(m_seed);
    std::uint64_t index = 0;
    std::vector<NchFolder> nch;
    for (qsizetype k = 0; k < folders.size(); ++k) {
        StoreFolder& f = folders[k];
        const QString base = f.fileName.left(f.fileName.size() - 4);
        // The last nested folder lost its index file, as happens when the client was stopped.
        f.hasIndex = k != folders.size() - 2;
        std::vector<MbxWriter::Entry> entries;
        for (int i = 0; i < f.messages; ++i)
            entries.push_back({gen.message(index++), f.name == QLatin1String("Inbox") && i == 1});
        const QString idx =
            f.hasIndex ? mail + QLatin1Char('/') + base + QStringLiteral(".idx") : QString();
        if (f.name != QLatin1String("Unused")) {
            if (!MbxWriter::write(mail + QLatin1Char('/') + f.fileName, idx, entries, &m_error))
                return false;
        } else {
            f.fileName.clear();
            f.hasIndex = false;
        }
        sum.totalMessages += f.messages;
        NchFolder n;
        n.number = std::uint16_t(f.number);
        n.parent = std::uint16_t(f.parentNumber);
        n.name = ansi(f.name);
        n.fileName = ansi(base);
        if (const SpecialFolder special = specialFolderNamed(f.name);
            special != SpecialFolder::None)
            n.order = std::uint16_t(std::uint32_t(special) - 1);
        nch.push_back(n);
        // A slot freed by a folder the user deleted stays in the chain with number 0.
        if (nch.size() == 3)
            nch.push_back(NchFolder{0, 0, "Deleted folder", "Deleted folder", 0xFFFF});
    }
    if (!NchWriter::write(mail + QStringLiteral("/folders.nch"), nch, &m_error))
        return false;

    if (m_shape.news) {
        sum.newsServer = QStringLiteral("news.example.com");
        sum.newsDirectory = QStringLiteral("news.example.com");
        const QString dir = hostFolder + QStringLiteral("/News/") + sum.newsDirectory;
        QDir().mkpath(dir);
        // The news cache is opaque to the program, which only totals its files' sizes.
        for (int g = 0; g < m_shape.newsgroups && g < int(std::size(kGroups)); ++g) {
            QFile file(dir + QLatin1Char('/') + QLatin1String(kGroups[g]) + QStringLiteral(".nch"));
            if (!file.open(QIODevice::WriteOnly)) {
                m_error = QStringLiteral("cannot write %1").arg(file.fileName());
                qCWarning(lcStoregen) << m_error;
                return false;
            }
            for (int i = 0; i < 3; ++i)
                file.write(gen.message(index++).raw);
            StoreFolder f;
            f.name = QLatin1String(kGroups[g]);
            f.parentName = sum.newsServer;
            f.fileName = QStringLiteral("News/") + sum.newsDirectory + QLatin1Char('/') +
                         file.fileName().section(QLatin1Char('/'), -1);
            f.news = true;
            f.messages = 3;
            folders.append(f);
        }
    }
    sum.folders = folders;
    if (summary)
        *summary = sum;
    return true;
}

} // namespace kv::storegen
