#include "shell/ProfileFile.h"

#include "platform/Ansi.h"
#include "shell/ShellLog.h"

#include "platform/IFileSystem.h"

namespace kv {

using namespace kv::platform;

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One pair of matching quotes around the whole value goes, as the profile calls strip them.
QString stripQuotes(const QString& value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

QString fitBuffer(const QString& text, int bufferChars)
{
    if (bufferChars <= 0)
        return QString();
    return text.left(bufferChars - 1);
}

} // namespace

ProfileFile::ProfileFile(const QString& text)
{
    if (text.isEmpty())
        return;
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_raw = t.split(QLatin1Char('\n'));
    if (!m_raw.isEmpty() && m_raw.back().isEmpty())
        m_raw.removeLast(); // the final line end
    for (const QString& raw : std::as_const(m_raw))
        m_lines.append(parse(raw));
}

std::optional<ProfileFile> ProfileFile::load(IFileSystem& files, const QString& path,
                                             WinError* error)
{
    FileEntry entry;
    if (!files.stat(path, &entry)) {
        if (error)
            *error = kErrorFileNotFound;
        return ProfileFile();
    }
    auto device = files.open(path, QIODevice::ReadOnly);
    if (!device || entry.isDirectory()) {
        const WinError rc = entry.isDirectory() ? kErrorAccessDenied : files.lastError();
        qCWarning(lcShell) << "cannot read profile file" << path << "error" << rc;
        if (error)
            *error = rc ? rc : kErrorReadFault;
        return std::nullopt;
    }
    if (error)
        *error = kErrorSuccess;
    return ProfileFile(ansi::toUnicode(device->readAll()));
}

ProfileFile::Line ProfileFile::parse(const QString& raw)
{
    Line line;
    const QString t = raw.trimmed();
    if (t.isEmpty())
        return line;
    if (t.front() == u';') {
        line.kind = Line::Comment;
        return line;
    }
    if (t.front() == u'[') {
        line.kind = Line::Section;
        const qsizetype close = t.lastIndexOf(u']');
        line.name = (close > 0 ? t.mid(1, close - 1) : t.mid(1)).trimmed();
        return line;
    }
    line.kind = Line::Key;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0) {
        line.name = t;
    } else {
        line.name = t.left(eq).trimmed();
        line.value = t.mid(eq + 1).trimmed();
        line.hasValue = true;
    }
    return line;
}

qsizetype ProfileFile::findSection(const QString& section) const
{
    const QString want = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].name, want))
            return i;
    return -1;
}

qsizetype ProfileFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype ProfileFile::findKey(qsizetype header, const QString& key) const
{
    const QString want = key.trimmed();
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, want))
            return i;
    return -1;
}

bool ProfileFile::hasSection(const QString& section) const
{
    return findSection(section) >= 0;
}

QString ProfileFile::getString(const QString& section, const QString& key,
                               const QString& defaultValue, int bufferChars) const
{
    QString fallback = defaultValue;
    while (fallback.endsWith(u' '))
        fallback.chop(1);
    fallback = stripQuotes(fallback);
    if (key.trimmed().isEmpty())
        return QString();
    const qsizetype header = findSection(section);
    if (header < 0)
        return fitBuffer(fallback, bufferChars);
    const qsizetype k = findKey(header, key);
    if (k < 0 || !m_lines[k].hasValue)
        return fitBuffer(fallback, bufferChars);
    return fitBuffer(stripQuotes(m_lines[k].value), bufferChars);
}

int ProfileFile::getInt(const QString& section, const QString& key, int defaultValue) const
{
    const qsizetype header = findSection(section);
    const qsizetype k = header < 0 ? -1 : findKey(header, key);
    if (k < 0 || !m_lines[k].hasValue)
        return defaultValue;
    const QString v = stripQuotes(m_lines[k].value);
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'-' || v[i] == u'+'))
        negative = v[i++] == u'-';
    qint64 n = 0;
    while (i < v.size() && v[i].isDigit() && n <= 0x7FFFFFFFLL)
        n = n * 10 + v[i++].digitValue();
    return int(negative ? -n : n);
}

bool ProfileFile::setString(const QString& section, const QString& key, const QString& value)
{
    const QString v = value.trimmed();
    const QString keyName = key.trimmed();
    qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && m_lines.back().kind != Line::Blank) {
            m_raw.append(QString());
            m_lines.append(Line());
        }
        const QString raw = QLatin1Char('[') + section.trimmed() + QLatin1Char(']');
        m_raw.append(raw);
        m_lines.append(parse(raw));
        header = m_lines.size() - 1;
    }
    const qsizetype k = findKey(header, keyName);
    if (k >= 0) {
        if (m_lines[k].hasValue && m_lines[k].value == v)
            return false;
        const QString raw = m_lines[k].name + QLatin1Char('=') + v;
        m_raw[k] = raw;
        m_lines[k] = parse(raw);
        return true;
    }
    // After the section's last entry, before the blank lines that separate it from the next.
    qsizetype at = sectionEnd(header);
    while (at > header + 1 && m_lines[at - 1].kind == Line::Blank)
        --at;
    const QString raw = keyName + QLatin1Char('=') + v;
    m_raw.insert(at, raw);
    m_lines.insert(at, parse(raw));
    return true;
}

bool ProfileFile::removeKey(const QString& section, const QString& key)
{
    const qsizetype header = findSection(section);
    const qsizetype k = header < 0 ? -1 : findKey(header, key);
    if (k < 0)
        return false;
    m_raw.removeAt(k);
    m_lines.removeAt(k);
    return true;
}

bool ProfileFile::removeSection(const QString& section)
{
    bool changed = false;
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section)) {
        const qsizetype end = sectionEnd(header);
        m_raw.remove(header, end - header);
        m_lines.remove(header, end - header);
        changed = true;
    }
    return changed;
}

QString ProfileFile::text() const
{
    QString t;
    for (const QString& raw : m_raw)
        t += raw + QLatin1String("\r\n");
    return t;
}

WinError ProfileFile::save(IFileSystem& files, const QString& path) const
{
    auto device = files.open(path, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!device) {
        const WinError rc = files.lastError();
        qCWarning(lcShell) << "cannot write profile file" << path << "error" << rc;
        return rc ? rc : kErrorWriteFault;
    }
    const QByteArray bytes = ansi::fromUnicode(text());
    if (device->write(bytes) != bytes.size()) {
        qCWarning(lcShell) << "short write to profile file" << path;
        return kErrorWriteFault;
    }
    device->close();
    return kErrorSuccess;
}

WinError ProfileFile::write(IFileSystem& files, const QString& path, const QString& section,
                            const QString& key, const std::optional<QString>& value)
{
    if (path.trimmed().isEmpty() || key.trimmed().isEmpty())
        return kErrorInvalidParameter;
    WinError rc = kErrorSuccess;
    std::optional<ProfileFile> profile = load(files, path, &rc);
    if (!profile)
        return rc;
    const bool changed =
        value ? profile->setString(section, key, *value) : profile->removeKey(section, key);
    // Nothing to change (deleting from a missing file included) leaves the file as it is.
    return changed ? profile->save(files, path) : kErrorSuccess;
}

WinError ProfileFile::deleteSection(IFileSystem& files, const QString& path, const QString& section)
{
    WinError rc = kErrorSuccess;
    std::optional<ProfileFile> profile = load(files, path, &rc);
    if (!profile)
        return rc;
    if (!profile->removeSection(section))
        return kErrorSuccess;
    return profile->save(files, path);
}

} // namespace kv
