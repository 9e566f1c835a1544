#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv::gui {

// The About box: the program's icon, name and version text, closed with its button.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The version text of the opening page; the build's version unless set.
    void setVersionText(const QString& text);
    QString versionText() const;

private:
    QLabel* m_version = nullptr;
};

} // namespace kv::gui
