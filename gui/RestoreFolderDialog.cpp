#include "RestoreFolderDialog.h"

#include "ProgramIcon.h"
#include "TreeListView.h"

#include "grid/TreeListModel.h"
#include "shell/Strings.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace kv::gui {

namespace {
constexpr int kButtonWidth = 81;
// The folder names line up in the details box when they are padded to one width.
constexpr int kPaddedNameWidth = 40;
} // namespace

RestoreFolderDialog::RestoreFolderDialog(TreeListModel& currentFolders, QWidget* parent)
    : QDialog(parent), m_folders(currentFolders)
{
    setObjectName(QStringLiteral("RestoreFolderDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("Select Alternate Restore Folder"));

    auto* prompt =
        new QLabel(QStringLiteral("Select current mail folder to use for the restore."), this);
    prompt->setObjectName(QStringLiteral("promptLabel"));
    auto* heading = new QLabel(QStringLiteral("Current Mail Folders"), this);
    heading->setObjectName(QStringLiteral("listHeading"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    m_list = new TreeListView(this);
    m_list->setObjectName(QStringLiteral("currentFolders"));
    m_list->setGrid(&m_folders);
    heading->setBuddy(m_list);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {m_ok, m_cancel})
        b->setMinimumWidth(kButtonWidth);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addWidget(prompt);
    layout->addSpacing(6);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(400, 420);

    connect(m_ok, &QPushButton::clicked, this, &RestoreFolderDialog::choose);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &TreeListView::rowDoubleClicked, this, [this](int) { choose(); });
    connect(m_list, &TreeListView::mouseDown, this,
            [this](Qt::MouseButton button, const QPoint&, int row) {
                if (button == Qt::RightButton && row >= 0)
                    showDetails(row);
            });
}

int RestoreFolderDialog::chooseFolder()
{
    m_answer = -1;
    m_list->setFocus();
    exec();
    return m_answer;
}

void RestoreFolderDialog::choose()
{
    m_answer = m_list->currentRow();
    accept();
}

QString RestoreFolderDialog::detailsText(const TreeListModel& folders, int row)
{
    return QStringLiteral("Folder : ") + folders.text(row).leftJustified(kPaddedNameWidth) + u'\n' +
           QStringLiteral("Message Count: ") + folders.cell(row, QStringLiteral("MbxCounts"));
}

void RestoreFolderDialog::showDetails(int row)
{
    // The row asked about becomes the one OK would take.
    m_list->setCurrentRow(row);
    QMessageBox box(QMessageBox::Information, Strings::programTitle(), detailsText(m_folders, row),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowIcon(programIcon());
    box.exec();
}

void RestoreFolderDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(s->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace kv::gui
