#pragma once

#include <QFlags>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>

class QFileDialog;
class QWidget;

namespace kv::platform {
class IFileSystem;
}

namespace kv::gui {

// The Open and Save As file dialogs, configured as the program has always configured them: a
// flag word, a "description|pattern|" filter, an initial folder and name. Paths in and out are
// Windows paths, mapped through the file system when one is given (else used as host paths).
// The dialogs are Qt's own (not the desktop's), so they look the same everywhere and tests can
// drive them. A chosen file can go straight into a control, or a control's content into it.
class FileDialog
{
public:
    // The system's file-dialog flag values, so that a stored flag word keeps its meaning.
    enum class Flag : unsigned
    {
        ReadOnly = 0x1,
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        AllowMultiSelect = 0x200,
        PathMustExist = 0x800,
        FileMustExist = 0x1000,
        CreatePrompt = 0x2000,
        NoReadOnlyReturn = 0x8000,
        Explorer = 0x80000,
    };
    Q_DECLARE_FLAGS(Flags, Flag)

    // Views onto the flag word; setting one changes only its own flags.
    enum class Selection
    {
        Single,
        Multiple,
        MultipleExplorer
    };
    enum class NameCheck
    {
        None,
        FileMustExist, // and its folder
        PathMustExist,
        CreatePrompt,
        PathMustExistCreatePrompt,
        OverwritePrompt,
        PathMustExistOverwritePrompt
    };

    enum class Mode
    {
        Open,
        Save
    };

    enum class Error
    {
        None = 0,
        BufferTooSmall = 0x3003, // the names did not fit maxNamesLength()
        Cancelled = 32755,       // only with setCancelIsError(true)
    };

    explicit FileDialog(platform::IFileSystem* files = nullptr, QWidget* owner = nullptr);

    Flags flags() const { return m_flags; }
    void setFlags(Flags flags) { m_flags = flags; }
    Selection selection() const;
    void setSelection(Selection selection);
    NameCheck nameCheck() const;
    void setNameCheck(NameCheck check);

    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // A full Windows path, or a bare name offered in the initial folder.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    // The last component of the chosen file.
    QString fileTitle() const { return m_fileTitle; }
    QString initialFolder() const { return m_initialFolder; }
    void setInitialFolder(const QString& folder) { m_initialFolder = folder; }
    QString defaultSuffix() const { return m_defaultSuffix; }
    void setDefaultSuffix(const QString& suffix) { m_defaultSuffix = suffix; }
    // The room for the chosen names, each counted with a separator; 0: no limit.
    int maxNamesLength() const { return m_maxNamesLength; }
    void setMaxNamesLength(int length) { m_maxNamesLength = length; }
    bool cancelIsError() const { return m_cancelIsError; }
    void setCancelIsError(bool on) { m_cancelIsError = on; }

    QString filter() const { return m_filter; }
    void setFilter(const QString& filter);
    // 1-based entry of the filter; after a choice, the entry the user ended on.
    int filterIndex() const { return m_filterIndex; }
    void setFilterIndex(int index) { m_filterIndex = index; }
    // Appends an entry; a filter a shown dialog used starts afresh.
    void addFilter(const QString& description, const QString& filespec, bool makeDefault = false);
    // The entries that suit the control's content, then "All Files".
    void addFiltersFor(QWidget* control);

    // True when a file was chosen. With a control, an empty filter is first filled for it, and
    // the chosen file is loaded into it (Open) or the control saved to it (Save).
    bool show(Mode mode, QWidget* control = nullptr);
    bool showOpen(QWidget* control = nullptr) { return show(Mode::Open, control); }
    bool showSave(QWidget* control = nullptr) { return show(Mode::Save, control); }
    Error error() const { return m_error; }
    // Windows paths of the last choice.
    QStringList selectedFiles() const { return m_selected; }

    // Lists, text boxes and pictures; text as Windows-1252, list lines ending in CR LF.
    bool loadInto(QWidget* control);
    bool saveFrom(QWidget* control);

private:
    void configure(QFileDialog& dialog, Mode mode) const;
    QString toHost(const QString& windowsPath) const;
    std::unique_ptr<QIODevice> openFile(QIODevice::OpenMode mode) const;
    QString toWindows(const QString& hostPath) const;

    platform::IFileSystem* m_files;
    QWidget* m_owner;
    Flags m_flags;
    QString m_title;
    QString m_fileName;
    QString m_fileTitle;
    QString m_initialFolder;
    QString m_defaultSuffix;
    int m_maxNamesLength = 256;
    bool m_cancelIsError = false;
    QString m_filter;
    int m_filterIndex = 1;
    bool m_filterUsed = false;
    Error m_error = Error::None;
    QStringList m_selected;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialog::Flags)

} // namespace kv::gui
