#include "restore/RegistryImport.h"

#include "platform/Ansi.h"
#include "restore/RestoreLog.h"

#include <cstring>
#include <optional>

namespace kv {

using namespace platform;
using namespace Qt::StringLiterals;

namespace {

// Far above any settings value, low enough that a damaged file cannot make one hex list eat
// the memory: characters of a line, its continuation lines included.
constexpr qsizetype kMaxLineLength = 4 * 1024 * 1024;
// Problems logged and kept for the caller; later ones are only counted.
constexpr int kMaxProblems = 100;

std::optional<Hive> hiveFromName(QStringView name)
{
    for (Hive hive : {Hive::CurrentUser, Hive::LocalMachine, Hive::Users, Hive::CurrentConfig,
                      Hive::DynData, Hive::ClassesRoot}) {
        if (name.compare(hiveName(hive), Qt::CaseInsensitive) == 0)
            return hive;
    }
    return std::nullopt;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, nothing else.
std::optional<quint32> hexNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    quint32 n = 0;
    for (QChar c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n << 4 | quint32(d);
    }
    return n;
}

// "01,ab,f": bytes of one or two digits, blanks allowed around them; "" is no bytes.
std::optional<QByteArray> hexBytes(QStringView text)
{
    QByteArray out;
    if (text.trimmed().isEmpty())
        return out;
    for (QStringView item : text.split(u',')) {
        item = item.trimmed();
        const auto n = item.size() <= 2 ? hexNumber(item) : std::nullopt;
        if (!n)
            return std::nullopt;
        out += char(*n);
    }
    return out;
}

// Text after a value may only be blanks or a comment.
bool onlyComment(QStringView rest)
{
    rest = rest.trimmed();
    return rest.isEmpty() || rest.startsWith(u';');
}

// The quoted text starting at pos, with the editor's escapes; pos ends after the closing quote.
bool readQuoted(QStringView line, qsizetype& pos, QString* out, QString* why)
{
    for (++pos; pos < line.size();) {
        const QChar c = line[pos++];
        if (c == u'"')
            return true;
        if (c != u'\\') {
            out->append(c);
            continue;
        }
        if (pos == line.size())
            break;
        const QChar e = line[pos++];
        if (e == u'\\' || e == u'"') {
            out->append(e);
        } else if (e == u'r') {
            out->append(u'\r');
        } else if (e == u'n') {
            out->append(u'\n');
        } else if (e == u'0') {
            *why = u"\\0 in quoted text"_s;
            return false;
        } else { // the editor keeps an unknown escape as it stands
            out->append(u'\\');
            out->append(e);
        }
    }
    *why = u"missing closing quote"_s;
    return false;
}

// A version-4 file holds text values as ANSI bytes: the editor widens them and ends them with
// a NUL when the bytes had none.
QByteArray widened(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QByteArray data = RegValue::fromString(ansi::toUnicode(bytes)).data;
    if (bytes.endsWith('\0'))
        data.chop(2);
    return data;
}

class Importer
{
public:
    Importer(IRegistry& registry, const RegistryImport& rules, RegistryImportResult& result)
        : m_registry(registry), m_rules(rules), m_result(result)
    {
    }

    void run(const QByteArray& script);

private:
    enum class Section
    {
        None,
        Open,
        Skipped
    };

    void keyLine(QStringView line, int lineNumber);
    void valueLine(int lineNumber);
    bool registryCall(WinError error, bool missingIsFine = false);
    void problem(int lineNumber, const QString& what);
    void damaged(int lineNumber, const QString& why)
    {
        ++m_result.damagedLines;
        problem(lineNumber, why);
    }

    IRegistry& m_registry;
    const RegistryImport& m_rules;
    RegistryImportResult& m_result;
    QList<QStringView> m_lines;
    qsizetype m_index = 0;
    bool m_unicodeFile = false;
    Section m_section = Section::None;
    Hive m_hive = Hive::CurrentUser;
    QString m_path;
};

void Importer::run(const QByteArray& script)
{
    QString text;
    if (script.startsWith("\xff\xfe")) {
        text.resize((script.size() - 2) / 2);
        std::memcpy(text.data(), script.constData() + 2, size_t(text.size()) * 2);
    } else {
        text = ansi::toUnicode(script);
    }
    m_lines = QStringView(text).split(u'\n');
    for (QStringView& line : m_lines)
        line = line.trimmed(); // CR of CR LF lines, and the editor ignores indentation

    const QStringView header = m_lines.value(0);
    if (header == u"REGEDIT4") {
        m_unicodeFile = false;
    } else if (header == u"Windows Registry Editor Version 5.00") {
        m_unicodeFile = true;
    } else {
        m_result.error = kErrorInvalidData;
        m_result.errorText = u"The file is not a registry script."_s;
        qCWarning(lcRestore) << "registry import: no registry script header";
        return;
    }
    for (m_index = 1; m_index < m_lines.size() && m_result.ok(); ++m_index) {
        const QStringView line = m_lines[m_index];
        const int lineNumber = int(m_index + 1);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'['))
            keyLine(line, lineNumber);
        else if (line.startsWith(u'"') || line.startsWith(u'@'))
            valueLine(lineNumber);
        else
            damaged(lineNumber, u"neither a key nor a value"_s);
    }
    if (m_result.ok())
        registryCall(m_registry.flush());
    if (m_result.problems.size() <
        m_result.refusedKeys + m_result.refusedValues + m_result.damagedLines) {
        qCWarning(lcRestore).nospace()
            << "registry import: " << m_result.refusedKeys << " keys and " << m_result.refusedValues
            << " values refused, " << m_result.damagedLines << " damaged lines";
    }
}

void Importer::keyLine(QStringView line, int lineNumber)
{
    m_section = Section::Skipped; // until the key is known to be good
    if (line.size() > kMaxLineLength)
        return damaged(lineNumber, u"line too long"_s);
    if (!line.endsWith(u']'))
        return damaged(lineNumber, u"key line without a closing ]"_s);
    QStringView inner = line.mid(1, line.size() - 2);
    const bool remove = inner.startsWith(u'-');
    if (remove)
        inner = inner.mid(1);
    const QList<QStringView> parts = inner.split(u'\\', Qt::SkipEmptyParts);
    const auto hive = hiveFromName(parts.value(0));
    if (!hive)
        return damaged(lineNumber, u"unknown hive in %1"_s.arg(inner));
    QStringList names;
    for (qsizetype i = 1; i < parts.size(); ++i)
        names += parts[i].toString();
    const QString path = names.join(u'\\');
    if (!m_rules.isAllowed(*hive, path)) {
        ++m_result.refusedKeys;
        return problem(lineNumber, u"key not restored: %1"_s.arg(inner));
    }
    if (remove) {
        if (registryCall(m_registry.deleteKeyTree(*hive, path), true))
            ++m_result.keysDeleted;
        m_section = Section::None;
        return;
    }
    if (!registryCall(m_registry.createKey(*hive, path)))
        return;
    ++m_result.keysWritten;
    m_section = Section::Open;
    m_hive = *hive;
    m_path = path;
}

void Importer::valueLine(int lineNumber)
{
    const QStringView line = m_lines[m_index];
    const bool longLine = line.size() > kMaxLineLength;
    qsizetype pos = line.startsWith(u'@') ? 1 : 0;
    QString name;
    QString why;
    if (pos == 0 && !readQuoted(line, pos, &name, &why))
        return damaged(lineNumber, why);
    QStringView data = line.mid(pos).trimmed();
    if (!data.startsWith(u'='))
        return damaged(lineNumber, u"no = after the value name"_s);
    data = data.mid(1).trimmed();

    bool remove = false;
    RegValue value;
    if (data.startsWith(u'"')) {
        QString text;
        pos = 0;
        if (!readQuoted(data, pos, &text, &why))
            return damaged(lineNumber, why);
        if (!onlyComment(data.mid(pos)))
            return damaged(lineNumber, u"text after the quoted value"_s);
        value = RegValue::fromString(text);
    } else if (data.startsWith(u'-')) {
        if (!onlyComment(data.mid(1)))
            return damaged(lineNumber, u"text after -"_s);
        remove = true;
    } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const auto number = hexNumber(data.mid(6).split(u';').first().trimmed());
        if (!number)
            return damaged(lineNumber, u"bad dword"_s);
        value = RegValue::fromDword(*number);
    } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
        const qsizetype colon = data.indexOf(u':');
        std::optional<quint32> type;
        if (colon == 3)
            type = kRegBinary;
        else if (colon > 5 && data[3] == u'(' && data[colon - 1] == u')')
            type = hexNumber(data.mid(4, colon - 5));
        // The list goes on over lines ending in "\"; every line is consumed, good or bad, so
        // that a damaged list leaves no stray lines behind.
        QString list;
        bool tooLong = false;
        for (QStringView part = data.mid(colon + 1);;) {
            part = part.split(u';').first().trimmed();
            const bool more = part.endsWith(u'\\') && m_index + 1 < m_lines.size();
            if (more)
                part.chop(1);
            tooLong = tooLong || list.size() + part.size() > kMaxLineLength;
            if (!tooLong)
                list += part;
            if (!more)
                break;
            part = m_lines[++m_index];
        }
        if (!type || colon < 0)
            return damaged(lineNumber, u"unknown value type"_s);
        if (tooLong)
            return damaged(lineNumber, u"line too long"_s);
        const auto bytes = hexBytes(list);
        if (!bytes)
            return damaged(lineNumber, u"bad hex data"_s);
        const bool text = *type == kRegSz || *type == kRegExpandSz || *type == kRegMultiSz;
        value = RegValue::fromBinary(text && !m_unicodeFile ? widened(*bytes) : *bytes, *type);
    } else {
        return damaged(lineNumber, u"unknown value type"_s);
    }
    if (longLine)
        return damaged(lineNumber, u"line too long"_s);

    if (m_section == Section::Skipped)
        return;
    if (m_section == Section::None) {
        ++m_result.refusedValues;
        return problem(lineNumber, u"value outside a key not restored"_s);
    }
    if (remove) {
        if (registryCall(m_registry.deleteValue(m_hive, m_path, name), true))
            ++m_result.valuesDeleted;
    } else if (registryCall(m_registry.setValue(m_hive, m_path, name, value))) {
        ++m_result.valuesWritten;
    }
}

bool Importer::registryCall(WinError error, bool missingIsFine)
{
    if (error == kErrorSuccess)
        return true;
    if (missingIsFine && error == kErrorFileNotFound)
        return false;
    m_result.error = error;
    if (error == kErrorAccessDenied && m_registry.heldByAnotherProgram())
        m_result.errorText = u"Wine programs of this Windows environment are running, so the "
                             u"settings cannot be restored until they close."_s;
    else if (!m_registry.lastErrorText().isEmpty())
        m_result.errorText = m_registry.lastErrorText();
    else
        m_result.errorText = u"The registry could not be written (error %1)."_s.arg(error);
    qCWarning(lcRestore) << "registry import stopped, error" << error << m_result.errorText;
    return false;
}

void Importer::problem(int lineNumber, const QString& what)
{
    if (m_result.problems.size() >= kMaxProblems)
        return;
    m_result.problems += u"Line %1: %2"_s.arg(lineNumber).arg(what);
    qCWarning(lcRestore).noquote() << "registry import:" << m_result.problems.last();
}

} // namespace

RegistryImport::RegistryImport(IRegistry& registry, QList<RegistryKeyPrefix> allowed)
    : m_registry(registry), m_allowed(std::move(allowed))
{
}

bool RegistryImport::isAllowed(Hive hive, const QString& path) const
{
    const QList<QStringView> parts = QStringView(path).split(u'\\', Qt::SkipEmptyParts);
    for (const RegistryKeyPrefix& prefix : m_allowed) {
        if (prefix.hive != hive)
            continue;
        const QList<QStringView> want = QStringView(prefix.path).split(u'\\', Qt::SkipEmptyParts);
        if (want.size() > parts.size())
            continue;
        bool match = true;
        for (qsizetype i = 0; i < want.size() && match; ++i)
            match = want[i].compare(parts[i], Qt::CaseInsensitive) == 0;
        if (match)
            return true;
    }
    return false;
}

RegistryImportResult RegistryImport::run(const QByteArray& script)
{
    RegistryImportResult result;
    Importer(m_registry, *this, result).run(script);
    return result;
}

} // namespace kv
