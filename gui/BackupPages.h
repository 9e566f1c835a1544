#pragma once

#include "shell/IMainView.h"

#include <QObject>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kv::gui {

class PercentMeter;
class ScreenProgress;
class TreeListView;

// The controls of the backup's four wizard steps, built into the step panels of the main
// window's wizard page: the totals and selection buttons beside the item grid, the save location
// with its diskette and space notes, the archive's name with the rename choice, and the run
// button with the progress label and meter. It shows what it is told and reports what the user
// does through its signals; the main window passes those on to the controller.
class BackupPages : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSteps = 4;

    // steps are the panels of steps 0..3; grid is the wizard page's item grid, whose clicks
    // are reported while it is not locked.
    BackupPages(const std::array<QWidget*, kSteps>& steps, TreeListView* grid,
                QObject* parent = nullptr);

    // False when the text is not one of these steps'.
    bool setText(MainText item, const QString& text);
    // Null when the item is not one of these steps'.
    QWidget* item(MainItem item) const;
    void setItemVisible(MainItem item, bool visible);

    void setClearDisksChecked(bool checked);
    void setClearDisksHighlighted(bool red);
    void setRenameChoice(bool rename);
    bool renameChoice() const;
    void setGridLocked(bool locked) { m_gridLocked = locked; }
    bool gridLocked() const { return m_gridLocked; }

    QPushButton* selectAllButton() const { return m_selectAll; }
    QPushButton* clearAllButton() const { return m_clearAll; }
    QPushButton* runButton() const { return m_runButton; }
    QCheckBox* clearDisksCheck() const { return m_clearDisks; }
    PercentMeter* meter() const { return m_meter; }
    ScreenProgress& progress() const { return *m_progress; }

Q_SIGNALS:
    void itemPictureClicked(int row);
    void itemDetailsRequested(int row);
    void itemDoubleClicked(int row);
    void selectAllClicked();
    void clearAllClicked();
    void browseClicked();
    void clearDisksClicked(bool checked);
    void runClicked();

private:
    void buildItemsStep(QWidget* step);
    void buildLocationStep(QWidget* step);
    void buildNameStep(QWidget* step);
    void buildRunStep(QWidget* step);
    void connectGrid(TreeListView* grid);
    QLabel* textLabel(MainText item) const;
    QLineEdit* textBox(MainText item) const;

    bool m_gridLocked = false;
    // Items step.
    QLabel* m_countLabel = nullptr;
    QLabel* m_totalLabel = nullptr;
    QLabel* m_estimateLabel = nullptr;
    QLineEdit* m_countBox = nullptr;
    QLineEdit* m_totalBox = nullptr;
    QLineEdit* m_estimateBox = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_clearAll = nullptr;
    QLabel* m_loading = nullptr;
    QLabel* m_wabWarning = nullptr;
    // Location step.
    QLineEdit* m_locationBox = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_clearDisks = nullptr;
    QLabel* m_caution = nullptr;
    QLabel* m_disketteCount = nullptr;
    QLabel* m_spaceWarning = nullptr;
    QLabel* m_requirement = nullptr;
    // Name step.
    QLineEdit* m_nameBox = nullptr;
    QGroupBox* m_renameFrame = nullptr;
    QRadioButton* m_replace = nullptr;
    QRadioButton* m_keepExisting = nullptr;
    // Run step.
    QLabel* m_runLabel = nullptr;
    QPushButton* m_runButton = nullptr;
    QLabel* m_progressLabel = nullptr;
    PercentMeter* m_meter = nullptr;
    ScreenProgress* m_progress = nullptr;
};

} // namespace kv::gui
