#include "util/FieldList.h"

#include <atomic>

namespace kv::FieldList {

namespace {

constexpr char16_t kInitialA = 255;
constexpr char16_t kInitialB = 254;

std::atomic<char16_t> g_separatorA{kInitialA};
std::atomic<char16_t> g_separatorB{kInitialB};

// Where the last field read by getField began. Callers walk long lists with getField(i) for
// i = 1..count; resuming from here keeps that walk linear. The cache holds a reference to the
// list's buffer, so the buffer cannot change under it: a caller that modifies its list detaches
// from the shared buffer first, and no longer matches.
struct FieldCursor
{
    QString list;
    QChar sep;
    qsizetype field = 0; // 0: nothing cached
    qsizetype pos = 0;   // index of the first character of that field
};

thread_local FieldCursor t_cursor;

bool cursorFits(const FieldCursor& c, const QString& list, QChar sep)
{
    return c.field > 0 && c.sep == sep && list.data_ptr().isSharedWith(c.list.data_ptr()) &&
           list.constData() == c.list.constData() && list.size() == c.list.size();
}

// Index of the first character of field n (n >= 1), or -1 when the list has fewer fields.
qsizetype fieldStart(QStringView list, qsizetype n, QChar sep, qsizetype fromField,
                     qsizetype fromPos)
{
    qsizetype pos = fromPos;
    for (qsizetype field = fromField; field < n; ++field) {
        const qsizetype at = list.indexOf(sep, pos);
        if (at < 0)
            return -1;
        pos = at + 1;
    }
    return pos;
}

qsizetype fieldEnd(QStringView list, qsizetype start, QChar sep)
{
    const qsizetype at = list.indexOf(sep, start);
    return at < 0 ? list.size() : at;
}

} // namespace

QChar separatorA()
{
    // A separator that was never set (NUL) takes the initial values first.
    char16_t a = g_separatorA.load();
    if (a == 0) {
        resetSeparators();
        a = g_separatorA.load();
    }
    return QChar(a);
}

QChar separatorB()
{
    char16_t b = g_separatorB.load();
    if (b == 0) {
        resetSeparators();
        b = g_separatorB.load();
    }
    return QChar(b);
}

void setSeparators(QChar a, QChar b)
{
    g_separatorA.store(a.unicode());
    g_separatorB.store(b.unicode());
}

void resetSeparators()
{
    setSeparators(QChar(kInitialA), QChar(kInitialB));
}

qsizetype countFields(QStringView list, QChar sep)
{
    if (list.isEmpty())
        return 0;
    return list.count(sep) + 1;
}

QString getField(const QString& list, qsizetype n, QChar sep)
{
    if (n < 1 || list.isEmpty())
        return {};
    qsizetype fromField = 1;
    qsizetype fromPos = 0;
    if (cursorFits(t_cursor, list, sep) && t_cursor.field <= n) {
        fromField = t_cursor.field;
        fromPos = t_cursor.pos;
    }
    const qsizetype start = fieldStart(list, n, sep, fromField, fromPos);
    if (start < 0)
        return {};
    if (!cursorFits(t_cursor, list, sep))
        t_cursor.list = list;
    t_cursor.sep = sep;
    t_cursor.field = n;
    t_cursor.pos = start;
    return list.mid(start, fieldEnd(list, start, sep) - start);
}

qsizetype findField(QStringView list, QStringView text, QChar sep)
{
    qsizetype n = 0;
    FieldReader reader(list, sep);
    while (!reader.atEnd()) {
        ++n;
        if (reader.next() == text)
            return n;
    }
    return 0;
}

QString putField(const QString& list, qsizetype n, const QString& text, QChar sep)
{
    if (n == -1) {
        QString result = list;
        appendField(result, text, sep);
        return result;
    }
    if (n < 1)
        return list;
    const qsizetype count = countFields(list, sep);
    if (n > count) {
        QString result = list;
        result.reserve(list.size() + (n - count) + text.size());
        // An empty list has no field to separate from; any other list needs one separator per
        // field added.
        const qsizetype separators = count == 0 ? n - 1 : n - count;
        result.append(QString(separators, sep));
        result.append(text);
        return result;
    }
    const qsizetype start = fieldStart(list, n, sep, 1, 0);
    const qsizetype end = fieldEnd(list, start, sep);
    QString result;
    result.reserve(list.size() - (end - start) + text.size());
    result.append(QStringView(list).left(start));
    result.append(text);
    result.append(QStringView(list).mid(end));
    return result;
}

void appendField(QString& list, const QString& text, QChar sep)
{
    if (list.isEmpty()) {
        list = text;
        return;
    }
    list.append(sep);
    list.append(text);
}

QStringList splitFields(QStringView list, QChar sep)
{
    QStringList fields;
    if (list.isEmpty())
        return fields;
    fields.reserve(countFields(list, sep));
    FieldReader reader(list, sep);
    while (!reader.atEnd())
        fields.append(reader.next().toString());
    return fields;
}

QString joinFields(const QStringList& fields, QChar sep)
{
    return fields.join(sep);
}

QStringView FieldReader::next()
{
    if (m_done)
        return {};
    const qsizetype end = fieldEnd(m_list, m_pos, m_sep);
    const QStringView field = m_list.mid(m_pos, end - m_pos);
    if (end >= m_list.size())
        m_done = true;
    else
        m_pos = end + 1;
    return field;
}

} // namespace kv::FieldList
