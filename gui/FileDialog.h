#pragma once

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

// The Open and Save As file dialogs with the property surface of the old common-dialog
// control. Paths in and out are Windows paths, mapped through the file system when one is
// given (else used as host paths). The dialogs are Qt's own (not the desktop's), so they look
// the same everywhere and tests can drive them.
class FileDialog
{
public:
    // The flag values of the system's file dialogs.
    enum FlagBits : unsigned
    {
        ReadOnly = 0x1,
        OverwritePrompt = 0x2,
        HideReadOnly = 0x4,
        AllowMultiSelect = 0x200,
        PathMustExist = 0x800,
        FileMustExistBit = 0x1000,
        CreatePrompt = 0x2000,
        NoReadOnlyReturn = 0x8000,
        Explorer = 0x80000,
    };
    static constexpr int kCancelError = 32755;
    static constexpr int kBufferTooSmall = 0x3003;

    explicit FileDialog(platform::IFileSystem* files = nullptr, QWidget* owner = nullptr);

    bool CancelError = false;
    unsigned Flags = 0;
    QString HelpFile;
    int HelpCommand = 0;
    int HelpContext = 0;
    QString HelpKey;
    QString DialogTitle;
    QString FileName;
    QString FileTitle;
    QString InitDir;
    int FilterIndex = 1;
    QString DefaultExt;
    int MaxFileSize = 256;
    QString CustomFilter;
    QString CustomFilterFilespec;

    // The last extended error of the dialog; 0 after a plain cancel, kCancelError after a cancel
    // with CancelError set (the old control raised that error; here the caller reads it).
    int Error() const { return m_error; }

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter);

    int MultiSelect() const;
    void setMultiSelect(int value);
    int FileReadOnly() const;
    void setFileReadOnly(int value);
    int FileMustExist() const;
    void setFileMustExist(int value);
    bool FileMustBeWritable() const;
    void setFileMustBeWriteable(bool value);

    void AddFilter(const QString& description, const QString& filespec, bool makeDefault = false);
    void AddDefaultFilters(QWidget* control);

    // 1: ShowOpen, 2: ShowSave; anything else does nothing and returns false.
    bool Action(int action);
    bool ShowOpen(QWidget* control = nullptr);
    bool ShowSave(QWidget* control = nullptr);

    int SelectedFileCount() const { return int(m_selected.size()); }
    QString SelectedFile(int n) const;

    bool LoadInto(QWidget* control);
    bool SaveFrom(QWidget* control);

private:
    bool show(bool save, QWidget* control);
    void configure(QFileDialog& dialog, bool save) const;
    QString toHost(const QString& windowsPath) const;
    std::unique_ptr<QIODevice> openFile(QIODevice::OpenMode mode) const;
    QString toWindows(const QString& hostPath) const;

    platform::IFileSystem* m_files;
    QWidget* m_owner;
    QString m_filter;
    bool m_filterUsed = false;
    int m_error = 0;
    QStringList m_selected;
};

} // namespace kv::gui
