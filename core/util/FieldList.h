#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

// Field lists: texts made of fields joined by a one-character separator. The program's in-memory
// lists (file lists, message lists, folder lists) are built on them.
//
// Fields are counted from 1. An empty text is a list of no fields; any other text has one field
// more than it has separators (so "a<sep>" holds "a" and an empty second field).
//
// Beyond the end:
// - getField of n < 1 or n > count gives "";
// - findField gives 0 when no field is equal (the comparison is exact, case included);
// - putField with n = -1 appends (on an empty list the text alone); with n > count the list is
//   first padded with empty fields so that field n exists; with n = 0 or n < -1 the list comes
//   back unchanged.
//
// Reading fields 1..n one after another with getField is linear, not quadratic: the position of
// the last field read is remembered per thread. FieldReader and splitFields do the same walk
// explicitly.
namespace kv::FieldList {

// Separator A (the program's list delimiter) and separator B. Before setSeparators() is called
// they are the characters of code 255 and 254; the start-up sets them to codes 2 and 1.
QChar separatorA();
QChar separatorB();
void setSeparators(QChar a = QChar(2), QChar b = QChar(1));
// Back to the values before start-up (for tools and tests that need a clean state).
void resetSeparators();

// The operations for any one-character separator (code 3 and CR lists are built with these).
qsizetype countFields(QStringView list, QChar sep);
QString getField(const QString& list, qsizetype n, QChar sep);
qsizetype findField(QStringView list, QStringView text, QChar sep);
QString putField(const QString& list, qsizetype n, const QString& text, QChar sep);
// putField(list, -1, text, sep) in place, without copying the list.
void appendField(QString& list, const QString& text, QChar sep);

inline qsizetype countFieldsA(QStringView list)
{
    return countFields(list, separatorA());
}
inline QString getFieldA(const QString& list, qsizetype n)
{
    return getField(list, n, separatorA());
}
inline qsizetype findFieldA(QStringView list, QStringView text)
{
    return findField(list, text, separatorA());
}
inline QString putFieldA(const QString& list, qsizetype n, const QString& text)
{
    return putField(list, n, text, separatorA());
}

inline qsizetype countFieldsB(QStringView list)
{
    return countFields(list, separatorB());
}
inline QString getFieldB(const QString& list, qsizetype n)
{
    return getField(list, n, separatorB());
}
inline qsizetype findFieldB(QStringView list, QStringView text)
{
    return findField(list, text, separatorB());
}
inline QString putFieldB(const QString& list, qsizetype n, const QString& text)
{
    return putField(list, n, text, separatorB());
}

// Every field in order (an empty list gives an empty QStringList).
QStringList splitFields(QStringView list, QChar sep);
// The fields joined (the inverse of splitFields).
QString joinFields(const QStringList& fields, QChar sep);

// Walks the fields of a list once, front to back. The list must outlive the reader.
class FieldReader
{
public:
    FieldReader(QStringView list, QChar sep) : m_list(list), m_sep(sep), m_done(list.isEmpty()) {}

    bool atEnd() const { return m_done; }
    // The next field; "" once at the end.
    QStringView next();

private:
    QStringView m_list;
    QChar m_sep;
    qsizetype m_pos = 0;
    bool m_done;
};

} // namespace kv::FieldList
