#pragma once

#include "HelpRequest.h"

#include "shell/IMainView.h"

#include <QHash>
#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class QWidget;

namespace kv {
class MainController;
class TreeListModel;
} // namespace kv

namespace kv::gui {

class BackupPages;
class MessagesPage;
class RestorePage;
class SynchGridPage;
class TreeListView;

// The main window: four stacked pages, the steps of the wizard page and the four menus. It
// draws what the controller sets and forwards every event to it; it decides nothing itself.
class MainWindow : public QMainWindow, public IMainView
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controller is made after the window (it needs the view); events before this are
    // dropped.
    void setController(MainController* controller) { m_controller = controller; }
    // What F1 opens (the window's help context is passed in).
    void setHelpRequest(HelpRequest help) { m_help = std::move(help); }

    // IMainView
    void setCaption(const QString& caption) override;
    QString caption() const override;
    void setText(MainText item, const QString& text) override;
    void showPage(MainPage page) override;
    void setStepVisible(int step, bool visible) override;
    void setButtonEnabled(MainButton button, bool enabled) override;
    void setMenuCaption(MenuEntry entry, const QString& caption) override;
    void setMenuEnabled(MenuEntry entry, bool enabled) override;
    void setMenuVisible(MenuEntry entry, bool visible) override;
    void setMenuChecked(MenuEntry entry, bool checked) override;
    void setClearDisksChecked(bool checked) override;
    void setItemVisible(MainItem item, bool visible) override;
    void setClearDisksHighlighted(bool red) override;
    void setRenameChoice(bool rename) override;
    bool renameChoice() const override;
    void setGridLocked(bool locked) override;
    void setBusyCursor(bool busy) override;
    TreeListModel& itemGrid() override { return *m_grid; }
    RunProgress& runProgress() override;
    TreeListModel& synchGrid() override { return *m_synchGrid; }
    RunProgress& messagesProgress() override;
    QSize screenSize() const override;
    QSize windowSize() const override;
    QPoint position() const override;
    void moveTo(const QPoint& topLeft) override;
    void setHelpContext(int topic) override;
    void refresh() override;
    void hideWindow() override;
    void closeWindow() override;

    // For tests and the picture tour.
    QAction* menuEntry(MenuEntry entry) const;
    QMenu* menu(MainMenu menu) const { return m_menus[int(menu)]; }
    MainPage currentPage() const;
    int helpContext() const { return m_helpContext; }
    BackupPages* backupPages() const { return m_backupPages; }
    RestorePage* restorePage() const { return m_restorePage; }
    SynchGridPage* synchPage() const { return m_synchPage; }
    MessagesPage* messagesPage() const { return m_messagesPage; }
    // The window closed and told the controller (unloaded() was signalled).
    bool isUnloaded() const { return m_unloaded; }

    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kSteps = 5;
    // The restore page's panel; steps 0 to 3 are the backup's (the last one the restore's too).
    static constexpr int kRestoreStep = 4;

Q_SIGNALS:
    // The window closed and the controller unloaded: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildOpeningPage();
    QWidget* buildWizardPage();
    QWidget* buildSynchPage();
    QWidget* buildMessagesPage();
    void buildMenus();
    void entryTriggered(MenuEntry entry);
    QPushButton* button(MainButton which) const;
    void connectBackupPages();

    MainController* m_controller = nullptr;
    HelpRequest m_help;
    QStackedWidget* m_pages = nullptr;
    std::array<QWidget*, kSteps> m_steps{};
    std::array<QMenu*, 4> m_menus{};
    QHash<MenuEntry, QAction*> m_entries;
    QPushButton* m_backupButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
    QPushButton* m_synchButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_stepCaption = nullptr;
    QLabel* m_instruction = nullptr;
    BackupPages* m_backupPages = nullptr;
    RestorePage* m_restorePage = nullptr;
    std::unique_ptr<TreeListModel> m_grid;
    std::unique_ptr<TreeListModel> m_synchGrid;
    SynchGridPage* m_synchPage = nullptr;
    MessagesPage* m_messagesPage = nullptr;
    int m_helpContext = 0;
    bool m_closingByProgram = false;
    bool m_unloaded = false;
    bool m_painted = false;
    bool m_busyCursor = false;
};

} // namespace kv::gui
