#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;
class QTextBrowser;

namespace kv::gui {

// The program's help: a window beside the main window with the list of topics and the page.
// It stands in for the three calls the program makes on its help file: contents, a topic by
// context number, and close.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContents();
    // Shows the page of a context number. An unknown number shows the contents and returns false.
    bool showTopic(int context);
    void closeHelp();

    // The page shown now (a resource URL).
    QString currentPage() const;
    QTextBrowser* browser() const { return m_browser; }

private:
    void showPage(const QString& page);
    void syncList();

    QListWidget* m_topics = nullptr;
    QTextBrowser* m_browser = nullptr;
    QPushButton* m_contents = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace kv::gui
