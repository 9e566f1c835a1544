#pragma once

#include <QString>
#include <QStringList>

namespace kv::gui {

// File-dialog filters in the form "description|pattern|description|pattern|", patterns
// separated by ";", as the program writes them, and their Qt form "description (p1 p2)".
class DialogFilter
{
public:
    // The filter with one entry appended: the description, " (" filespec ")" when the filespec
    // holds no ";", then "|", the filespec and "|".
    static QString append(const QString& filter, const QString& description,
                          const QString& filespec);
    // Number of entries (description and pattern pairs).
    static int entryCount(const QString& filter);
    // One Qt name filter per entry. Patterns are trimmed; "*.*" becomes "*", since for Windows
    // it matches every name, dotted or not.
    static QStringList toNameFilters(const QString& filter);
    // The descriptions, as the dialog shows them.
    static QStringList descriptions(const QString& filter);
};

} // namespace kv::gui
