#pragma once

#include <QWidget>

class QTextBrowser;

namespace kv::gui {

// The news window of the Tidings tool: the text of "Tidings.txt" (Windows-1252) from the
// program folder, or a friendly note when there is none.
class TidingsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TidingsWindow(const QString& folder, QWidget* parent = nullptr);

    // The text to show for a program folder.
    static QString newsText(const QString& folder);
    static const QString& noNewsText();
    QString shownText() const;

private:
    QTextBrowser* m_text = nullptr;
};

} // namespace kv::gui
