#include "BackupFileDialog.h"

#include "FileDialog.h"
#include "GuiLog.h"
#include "ProgramIcon.h"

#include "platform/IFileSystem.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv::gui {

namespace {

constexpr int kFormWidth = 460;
constexpr int kButtonWidth = 81;
constexpr auto kFlags = FileDialog::Flag::FileMustExist | FileDialog::Flag::PathMustExist |
                        FileDialog::Flag::HideReadOnly;

QLabel* note(const char* name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

QString typeNoteText(int type)
{
    return type == BackupFileDialog::kSelectedFolders
               ? QStringLiteral("Selected mail folders from the backup can be restored to "
                                "existing folders.  You may, however, restore mail folders to a "
                                "folder of a different name.")
               : QStringLiteral("All current mail folders will be replaced with the mail "
                                "folders from the Backup");
}

} // namespace

bool isDiskettePath(const QString& path)
{
    const QString drive = path.left(2).toLower();
    return drive == u"a:" || drive == u"b:";
}

BackupFileDialog::BackupFileDialog(platform::IFileSystem* files, HelpRequest help, QWidget* parent)
    : QDialog(parent), m_files(files), m_help(std::move(help))
{
    setObjectName(QStringLiteral("BackupFileDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(programIcon());
    setWindowTitle(QStringLiteral("Select Backup File..."));

    m_typeLabel = note("typeLabel", QStringLiteral("Select Type of Restore:"), this);
    QFont bold = m_typeLabel->font();
    bold.setBold(true);
    m_typeLabel->setFont(bold);
    m_selected =
        new QRadioButton(QStringLiteral("&A.  Restore Selected Folders from the Backup"), this);
    m_selected->setObjectName(QStringLiteral("selectedFoldersOption"));
    m_full = new QRadioButton(
        QStringLiteral("&B.  Do a Full Restore of All Mail Folders from the Backup"), this);
    m_full->setObjectName(QStringLiteral("fullRestoreOption"));
    auto* types = new QButtonGroup(this);
    types->addButton(m_selected, kSelectedFolders);
    types->addButton(m_full, kFullRestore);
    m_typeNote = note("typeNote", QString(), this);
    // Room for the longest note, so that choosing a type does not make the dialog jump.
    m_typeNote->setMinimumHeight(m_typeNote->fontMetrics().lineSpacing() * 3);

    m_locationNote = note("locationNote",
                          QStringLiteral("The last backup was saved at the location shown. "
                                         "Select \"Browse\" if you wish to restore from a  "
                                         "different backup file."),
                          this);
    m_location = new QLineEdit(this);
    m_location->setObjectName(QStringLiteral("backupLocation"));
    m_browse = new QPushButton(QStringLiteral("Bro&wse..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setMinimumWidth(kButtonWidth);
    m_disketteHint = note("disketteHint",
                          QStringLiteral("Please insert the last disk of the backup before "
                                         "proceeding to the next step."),
                          this);
    m_disketteHint->setPalette([this] {
        QPalette pal = palette();
        pal.setColor(QPalette::WindowText, QColor(128, 0, 0));
        return pal;
    }());

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* b : {m_ok, m_cancel})
        b->setMinimumWidth(kButtonWidth);

    auto* where = new QHBoxLayout;
    where->addWidget(m_location, 1);
    where->addWidget(m_browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(6);
    layout->addWidget(m_typeLabel);
    layout->addWidget(m_selected);
    layout->addWidget(m_full);
    layout->addWidget(m_typeNote);
    layout->addSpacing(8);
    layout->addWidget(m_locationNote);
    layout->addLayout(where);
    layout->addWidget(m_disketteHint);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedWidth(kFormWidth);

    setTabOrder(m_selected, m_full);
    setTabOrder(m_full, m_location);
    setTabOrder(m_location, m_browse);
    setTabOrder(m_browse, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(types, &QButtonGroup::idClicked, this, &BackupFileDialog::typeChosen);
    connect(m_browse, &QPushButton::clicked, this, &BackupFileDialog::browse);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void BackupFileDialog::prepare(const BackupFileRequest& request)
{
    m_type = -1;
    m_location->setText(request.defaultPath);
    m_location->setCursorPosition(0);
    m_ok->setEnabled(false);
    m_typeNote->clear();
    for (QWidget* w : {static_cast<QWidget*>(m_typeLabel), static_cast<QWidget*>(m_selected),
                       static_cast<QWidget*>(m_full)})
        w->setVisible(!request.oe4Import && !request.synchronise);
    if (request.synchronise) {
        m_type = kSynchronise;
        m_ok->setEnabled(true);
        m_typeNote->setText(QStringLiteral(
            "The folders from the backup file will be available to \"Synchronize\""));
    } else if (request.oe4Import) {
        // Version-4 folders can only go into a temporary store as a whole.
        m_full->setChecked(true);
        m_type = kFullRestore;
        m_ok->setEnabled(true);
        m_typeNote->setText(QStringLiteral(
            "The Outlook Express 4 mail folders will be restored for import into Outlook "
            "Express 5. News Folders will NOT be restored."));
    }
    updateDisketteHint();
    fitHeight();
}

// The height the shown texts need at the dialog's width; hidden choices take none.
void BackupFileDialog::fitHeight()
{
    layout()->activate();
    resize(width(), layout()->totalHeightForWidth(width()));
}

BackupFileAnswer BackupFileDialog::ask(const BackupFileRequest& request)
{
    prepare(request);
    (request.oe4Import || request.synchronise ? static_cast<QWidget*>(m_ok) : m_selected)
        ->setFocus();
    if (exec() != QDialog::Accepted)
        return {};
    return {m_location->text().trimmed(), m_type};
}

void BackupFileDialog::typeChosen(int type)
{
    m_type = type;
    m_typeNote->setText(typeNoteText(type));
    m_typeNote->show();
    m_ok->setEnabled(true);
    fitHeight();
}

void BackupFileDialog::updateDisketteHint()
{
    m_disketteHint->setVisible(isDiskettePath(m_location->text()));
}

bool BackupFileDialog::fileExists(const QString& windowsPath) const
{
    if (windowsPath.isEmpty())
        return false;
    if (!m_files)
        return QFileInfo(windowsPath).isFile();
    platform::FileEntry entry;
    return m_files->stat(windowsPath, &entry) && !entry.isDirectory();
}

void BackupFileDialog::browse()
{
    FileDialog dialog(m_files, this);
    dialog.setTitle(QStringLiteral("Select Backup File to Restore"));
    dialog.setFilter(QStringLiteral("Outlook Express Backups (*.eaz)| *.zip;*.eaz|"));
    dialog.setFlags(kFlags);
    const QString path = m_location->text().trimmed();
    if (path.startsWith(u"a:\\", Qt::CaseInsensitive)) {
        // The diskette may not be in the drive yet; asking the dialog to read it would fail.
        dialog.setInitialFolder(QStringLiteral("c:\\"));
    } else {
        const qsizetype slash = path.lastIndexOf(u'\\');
        dialog.setInitialFolder(slash >= 0 ? path.left(slash + 1) : QString());
        dialog.setFileName(slash >= 0 ? path.mid(slash + 1) : path);
    }
    if (!dialog.showOpen())
        return;
    const QString chosen = dialog.fileName();
    m_location->setText(chosen);
    m_location->setCursorPosition(0);
    updateDisketteHint();
    fitHeight();
    const bool exists = fileExists(chosen);
    if (!exists)
        qCWarning(lcGui) << "browsed backup file is missing:" << chosen;
    m_ok->setEnabled(exists && m_type >= 0);
}

void BackupFileDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && m_help) {
        m_help(kHelpContext);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kv::gui
