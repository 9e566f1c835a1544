#include "backup/RegistryScript.h"

#include "platform/Ansi.h"

namespace kv {

using namespace platform;

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// The editor breaks a hex list once a line reaches this many characters (not counting the "\").
constexpr int kHexLineLimit = 77;

// Quoted text as the editor writes it. CR and LF only occur in value names here (strings holding
// them go out as hex); the importer reads them back from "\r" and "\n".
QByteArray quoted(const QString& text)
{
    QByteArray out = "\"";
    for (char c : ansi::fromUnicode(text)) {
        switch (c) {
        case '\\':
        case '"':
            out += '\\';
            out += c;
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out + '"';
}

// The UTF-16 code units of a string value as the ANSI calls return them: every unit, NULs too.
QByteArray ansiBytes(const QByteArray& utf16)
{
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData()), utf16.size() / 2);
    return ansi::fromUnicode(text);
}

// A REG_SZ fits the quoted form when it is one line of text with exactly one terminator at its
// end; anything else (embedded NULs, line breaks, no terminator) would not come back as it was.
bool fitsQuotedForm(const RegValue& value, QString* text)
{
    const QByteArray& d = value.data;
    if (d.size() < 2 || d.size() % 2 || d.at(d.size() - 1) || d.at(d.size() - 2))
        return false;
    *text = QString::fromUtf16(reinterpret_cast<const char16_t*>(d.constData()), d.size() / 2 - 1);
    return !text->contains(QChar(0)) && !text->contains(u'\r') && !text->contains(u'\n');
}

void appendHex(QByteArray& line, int column, const QByteArray& bytes)
{
    static const char digits[] = "0123456789abcdef";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = quint8(bytes.at(i));
        line += digits[b >> 4];
        line += digits[b & 15];
        if (i + 1 == bytes.size())
            break;
        line += ',';
        column += 3;
        if (column >= kHexLineLimit) {
            line += "\\\r\n  ";
            column = 2;
        }
    }
}

QByteArray valueLine(const RegNamedValue& named)
{
    const RegValue& v = named.value;
    QByteArray line = named.name.isEmpty() ? QByteArray("@=") : quoted(named.name) + '=';
    QString text;
    if (v.type == kRegSz && fitsQuotedForm(v, &text))
        return line + quoted(text);
    if (v.type == kRegDword && v.data.size() == 4)
        return line + "dword:" + QByteArray::number(v.toDword(), 16).rightJustified(8, '0');

    // A version-4 file holds strings as ANSI bytes; the importer widens hex(1), hex(2) and
    // hex(7) data again, so their UTF-16 must be narrowed here, NULs included.
    const bool text16 = v.type == kRegSz || v.type == kRegExpandSz || v.type == kRegMultiSz;
    line +=
        v.type == kRegBinary ? QByteArray("hex:") : "hex(" + QByteArray::number(v.type, 16) + "):";
    appendHex(line, int(line.size()), text16 ? ansiBytes(v.data) : v.data);
    return line;
}

// The key's path with each component spelled as the registry stores it.
QString storedSpelling(IRegistry& registry, Hive hive, const QString& keyPath)
{
    QString path;
    for (const QString& part : keyPath.split(u'\\', Qt::SkipEmptyParts)) {
        QStringList names;
        QString spelled = part;
        if (registry.enumSubKeys(hive, path, &names) == kErrorSuccess) {
            for (const QString& name : std::as_const(names))
                if (name.compare(part, Qt::CaseInsensitive) == 0)
                    spelled = name;
        }
        path += (path.isEmpty() ? QString() : QStringLiteral("\\")) + spelled;
    }
    return path;
}

void appendKey(QByteArray& script, IRegistry& registry, Hive hive, const QString& path,
               bool withSubkeys)
{
    QByteArray head = "[" + ansi::fromUnicode(RegistryScript::hiveName(hive));
    if (!path.isEmpty())
        head += '\\' + ansi::fromUnicode(path);
    script += head + ']' + kCrLf;
    QList<RegNamedValue> values;
    registry.enumValues(hive, path, &values);
    for (const RegNamedValue& value : std::as_const(values))
        script += valueLine(value) + kCrLf;
    script += kCrLf;
    if (!withSubkeys)
        return;
    QStringList subkeys;
    registry.enumSubKeys(hive, path, &subkeys);
    for (const QString& name : std::as_const(subkeys))
        appendKey(script, registry, hive, path.isEmpty() ? name : path + u'\\' + name, true);
}

} // namespace

QByteArray RegistryScript::exportKey(IRegistry& registry, Hive hive, const QString& keyPath,
                                     bool withSubkeys)
{
    if (registry.openKey(hive, keyPath) != kErrorSuccess)
        return {};
    QByteArray script = "REGEDIT4" + kCrLf + kCrLf;
    appendKey(script, registry, hive, storedSpelling(registry, hive, keyPath), withSubkeys);
    return script;
}

QString RegistryScript::hiveName(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case Hive::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Hive::Users:
        return QStringLiteral("HKEY_USERS");
    case Hive::CurrentConfig:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case Hive::DynData:
        return QStringLiteral("HKEY_DYN_DATA");
    case Hive::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    }
    return {};
}

} // namespace kv
