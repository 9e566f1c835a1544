#include "BackupPages.h"

#include "GuiLog.h"
#include "PercentMeter.h"
#include "ScreenProgress.h"
#include "TreeListView.h"

#include "shell/Strings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv::gui {

namespace {

// The caution's colour, and the clear-diskettes box's while it is not highlighted.
const QColor kCautionColor(128, 0, 0);
const QColor kHighlightColor(255, 0, 0);

QLabel* label(const char* name, const QString& text, QWidget* parent, bool wrap = true)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(wrap);
    return l;
}

// The program's read-only text boxes: the user sees and copies, the program writes.
QLineEdit* box(const char* name, QWidget* parent)
{
    auto* b = new QLineEdit(parent);
    b->setObjectName(QLatin1String(name));
    b->setReadOnly(true);
    b->setFocusPolicy(Qt::ClickFocus);
    return b;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(110);
    return b;
}

void setTextColor(QWidget* w, const QColor& c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, c);
    pal.setColor(QPalette::ButtonText, c);
    w->setPalette(pal);
}

void setBold(QWidget* w)
{
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
}

} // namespace

BackupPages::BackupPages(const std::array<QWidget*, kSteps>& steps, TreeListView* grid,
                         QObject* parent)
    : QObject(parent)
{
    buildItemsStep(steps[0]);
    buildLocationStep(steps[1]);
    buildNameStep(steps[2]);
    buildRunStep(steps[3]);
    connectGrid(grid);
}

void BackupPages::buildItemsStep(QWidget* step)
{
    m_countLabel = label("itemCountLabel", QStringLiteral("Items to Save:"), step, false);
    m_totalLabel = label("totalSizeLabel", QStringLiteral("Total Data to Save:"), step, false);
    m_estimateLabel = label("estimateLabel", QStringLiteral("Estimated Backup Size:"), step, false);
    m_countBox = box("itemCountBox", step);
    m_totalBox = box("totalSizeBox", step);
    m_estimateBox = box("backupSizeBox", step);
    for (QLineEdit* b : {m_countBox, m_totalBox, m_estimateBox})
        b->setAlignment(Qt::AlignRight);
    m_selectAll = button("itemsSelectAllButton", QStringLiteral("&Select All"), step);
    m_clearAll = button("itemsClearAllButton", QStringLiteral("&Clear All"), step);
    connect(m_selectAll, &QPushButton::clicked, this, &BackupPages::selectAllClicked);
    connect(m_clearAll, &QPushButton::clicked, this, &BackupPages::clearAllClicked);
    m_loading = label("loadingText", QString(), step);
    m_loading->setFrameShape(QFrame::StyledPanel);
    m_loading->setAlignment(Qt::AlignCenter);
    m_loading->hide();
    m_wabWarning = label("addressBookWarning", Strings::get(StringId::AddressBookLeftOut), step);
    setTextColor(m_wabWarning, kHighlightColor);
    setBold(m_wabWarning);
    m_wabWarning->hide();

    auto* layout = new QGridLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_countLabel, 0, 0);
    layout->addWidget(m_totalLabel, 0, 1);
    layout->addWidget(m_estimateLabel, 0, 2);
    layout->addWidget(m_countBox, 1, 0);
    layout->addWidget(m_totalBox, 1, 1);
    layout->addWidget(m_estimateBox, 1, 2);
    layout->addWidget(m_selectAll, 0, 3);
    layout->addWidget(m_clearAll, 1, 3);
    layout->setColumnMinimumWidth(3, 120);
    layout->addWidget(m_loading, 2, 0, 1, 4);
    layout->addWidget(m_wabWarning, 3, 0, 1, 4);
    layout->setRowStretch(4, 1);
}

void BackupPages::buildLocationStep(QWidget* step)
{
    auto* intro = label("locationIntro",
                        QStringLiteral("The Backup files will be saved to the drive and folder "
                                       "shown below. Click the Browse button to change the "
                                       "location."),
                        step);
    m_locationBox = box("saveLocationBox", step);
    m_browse = button("browseButton", QStringLiteral("Browse..."), step);
    connect(m_browse, &QPushButton::clicked, this, &BackupPages::browseClicked);
    m_clearDisks = new QCheckBox(Strings::get(StringId::ClearDiskettes), step);
    m_clearDisks->setObjectName(QStringLiteral("clearDisksCheck"));
    setTextColor(m_clearDisks, kCautionColor);
    connect(m_clearDisks, &QCheckBox::clicked, this, &BackupPages::clearDisksClicked);
    m_caution = label("disketteCaution",
                      QStringLiteral("Caution! -- any existing data on the diskette will be "
                                     "overwritten by the backup."),
                      step);
    setTextColor(m_caution, kCautionColor);
    m_disketteCount = label("disketteCount", QString(), step);
    m_spaceWarning = label("spaceWarning",
                           QStringLiteral("Warning! - location shown may have insufficient "
                                          "space to save the backup file."),
                           step);
    setTextColor(m_spaceWarning, kHighlightColor);
    m_requirement = label("spaceRequirement", QString(), step);
    for (QWidget* w : {static_cast<QWidget*>(m_clearDisks), static_cast<QWidget*>(m_caution),
                       static_cast<QWidget*>(m_disketteCount),
                       static_cast<QWidget*>(m_spaceWarning), static_cast<QWidget*>(m_requirement)})
        w->hide();

    auto* where = new QHBoxLayout;
    where->addWidget(m_locationBox, 1);
    where->addWidget(m_browse);
    auto* layout = new QVBoxLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(intro);
    layout->addLayout(where);
    layout->addSpacing(4);
    layout->addWidget(m_clearDisks);
    layout->addWidget(m_caution);
    layout->addWidget(m_disketteCount);
    layout->addWidget(m_spaceWarning);
    layout->addWidget(m_requirement);
    layout->addStretch(1);
}

void BackupPages::buildNameStep(QWidget* step)
{
    auto* intro = label("backupNameIntro", QStringLiteral("The backup will be saved as:"), step);
    m_nameBox = box("backupNameBox", step);
    m_renameFrame = new QGroupBox(QStringLiteral("A backup of this name already exists"), step);
    m_renameFrame->setObjectName(QStringLiteral("renameFrame"));
    m_replace = new QRadioButton(QStringLiteral("&Replace the existing backup"), m_renameFrame);
    m_replace->setObjectName(QStringLiteral("replaceOption"));
    m_keepExisting = new QRadioButton(
        QStringLiteral("&Save the existing backup and create a new one (recommended)"),
        m_renameFrame);
    m_keepExisting->setObjectName(QStringLiteral("saveExistingOption"));
    m_keepExisting->setChecked(true);
    auto* inFrame = new QVBoxLayout(m_renameFrame);
    inFrame->addWidget(m_replace);
    inFrame->addWidget(m_keepExisting);
    m_renameFrame->hide();

    auto* layout = new QVBoxLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(intro);
    layout->addWidget(m_nameBox);
    layout->addSpacing(6);
    layout->addWidget(m_renameFrame);
    layout->addStretch(1);
}

void BackupPages::buildRunStep(QWidget* step)
{
    m_runLabel = label("runLabel", QString(), step);
    m_runButton = button("runButton", Strings::get(StringId::MakeBackup), step);
    m_runButton->setMinimumSize(160, 36);
    connect(m_runButton, &QPushButton::clicked, this, &BackupPages::runClicked);
    m_progressLabel = label("progressText", QString(), step);
    m_progressLabel->hide();
    m_meter = new PercentMeter(step);
    m_meter->setObjectName(QStringLiteral("progressMeter"));
    m_meter->hide();
    m_progress = new ScreenProgress(m_progressLabel, m_meter, this);

    auto* layout = new QVBoxLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_runLabel);
    layout->addSpacing(6);
    layout->addWidget(m_runButton, 0, Qt::AlignHCenter);
    layout->addSpacing(6);
    layout->addWidget(m_progressLabel);
    layout->addWidget(m_meter);
    layout->addStretch(1);
}

void BackupPages::connectGrid(TreeListView* grid)
{
    connect(grid, &TreeListView::pictureClicked, this, [this](int row) {
        if (!m_gridLocked)
            Q_EMIT itemPictureClicked(row);
    });
    connect(grid, &TreeListView::rowDoubleClicked, this, [this](int row) {
        if (!m_gridLocked && row >= 0)
            Q_EMIT itemDoubleClicked(row);
    });
    connect(grid, &TreeListView::mouseDown, this,
            [this, grid](Qt::MouseButton button, const QPoint&, int row) {
                if (button != Qt::RightButton || row < 0 || m_gridLocked)
                    return;
                // The row under the pointer becomes the current one before its details show.
                grid->setCurrentRow(row);
                Q_EMIT itemDetailsRequested(row);
            });
}

QLabel* BackupPages::textLabel(MainText item) const
{
    switch (item) {
    case MainText::WabWarning:
        return m_wabWarning;
    case MainText::Loading:
        return m_loading;
    case MainText::RunLabel:
        return m_runLabel;
    case MainText::ItemCountLabel:
        return m_countLabel;
    case MainText::TotalSizeLabel:
        return m_totalLabel;
    case MainText::EstimateLabel:
        return m_estimateLabel;
    case MainText::SpaceWarning:
        return m_spaceWarning;
    case MainText::SpaceRequirement:
        return m_requirement;
    case MainText::DisketteCount:
        return m_disketteCount;
    case MainText::ProgressLabel:
        return m_progressLabel;
    default:
        return nullptr;
    }
}

QLineEdit* BackupPages::textBox(MainText item) const
{
    switch (item) {
    case MainText::ItemCount:
        return m_countBox;
    case MainText::TotalSize:
        return m_totalBox;
    case MainText::BackupSize:
        return m_estimateBox;
    case MainText::SaveLocation:
        return m_locationBox;
    case MainText::BackupName:
        return m_nameBox;
    default:
        return nullptr;
    }
}

bool BackupPages::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::RunButton:
        m_runButton->setText(text);
        return true;
    case MainText::ClearDisks:
        m_clearDisks->setText(text);
        return true;
    case MainText::SelectAll:
        m_selectAll->setText(text);
        return true;
    case MainText::ClearAll:
        m_clearAll->setText(text);
        return true;
    case MainText::ProgressLabel:
        // Through the progress, so that it keeps its order with the run's own texts.
        m_progress->setProgressText(text);
        return true;
    default:
        break;
    }
    if (QLabel* l = textLabel(item)) {
        l->setText(text);
        return true;
    }
    if (QLineEdit* b = textBox(item)) {
        b->setText(text);
        b->setCursorPosition(0);
        return true;
    }
    return false;
}

QWidget* BackupPages::item(MainItem item) const
{
    switch (item) {
    case MainItem::WabWarning:
        return m_wabWarning;
    case MainItem::LoadingText:
        return m_loading;
    case MainItem::ProgressLabel:
        return m_progressLabel;
    case MainItem::ProgressMeter:
        return m_meter;
    case MainItem::ClearDisks:
        return m_clearDisks;
    case MainItem::SpaceWarning:
        return m_spaceWarning;
    case MainItem::SpaceRequirement:
        return m_requirement;
    case MainItem::DisketteCount:
        return m_disketteCount;
    case MainItem::RenameFrame:
        return m_renameFrame;
    case MainItem::Instruction:
    case MainItem::RestoreHint:
    case MainItem::SelectAll: // the restore page's; the backup's is always shown
    case MainItem::SynchSelectControls:
    case MainItem::SynchBack:
    case MainItem::SynchNext:
    case MainItem::MessagesCaution:
        return nullptr;
    }
    return nullptr;
}

void BackupPages::setItemVisible(MainItem which, bool visible)
{
    QWidget* w = item(which);
    if (!w) {
        qCWarning(lcGui) << "no backup page item" << int(which);
        return;
    }
    w->setVisible(visible);
    // The caution belongs to the clear-diskettes box: both are about diskettes only.
    if (which == MainItem::ClearDisks)
        m_caution->setVisible(visible);
}

void BackupPages::setClearDisksChecked(bool checked)
{
    m_clearDisks->setChecked(checked);
}

void BackupPages::setClearDisksHighlighted(bool red)
{
    setTextColor(m_clearDisks, red ? kHighlightColor : kCautionColor);
}

void BackupPages::setRenameChoice(bool rename)
{
    (rename ? m_keepExisting : m_replace)->setChecked(true);
}

bool BackupPages::renameChoice() const
{
    return m_keepExisting->isChecked();
}

} // namespace kv::gui
