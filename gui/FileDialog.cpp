#include "FileDialog.h"

#include "DialogFilter.h"
#include "GuiLog.h"
#include "platform/Ansi.h"
#include "platform/IFileSystem.h"

#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kv::gui {

namespace {

QString lastComponent(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

QStringList linesOf(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = t.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

FileDialog::FileDialog(platform::IFileSystem* files, QWidget* owner)
    : m_files(files), m_owner(owner), m_selected(1)
{
}

void FileDialog::setFilter(const QString& filter)
{
    m_filter = filter;
    m_filterUsed = false;
}

int FileDialog::MultiSelect() const
{
    if (!(Flags & AllowMultiSelect))
        return 0;
    return (Flags & Explorer) ? 2 : 1;
}

void FileDialog::setMultiSelect(int value)
{
    switch (value) {
    case 0:
        Flags &= ~(AllowMultiSelect | Explorer);
        break;
    case 1:
        Flags = (Flags | AllowMultiSelect) & ~Explorer;
        break;
    case 2:
        Flags |= AllowMultiSelect | Explorer;
        break;
    default:
        break;
    }
}

int FileDialog::FileReadOnly() const
{
    if (Flags & HideReadOnly)
        return 2;
    return (Flags & ReadOnly) ? 1 : 0;
}

void FileDialog::setFileReadOnly(int value)
{
    switch (value) {
    case 0:
        Flags &= ~(ReadOnly | HideReadOnly);
        break;
    case 1:
        Flags = (Flags | ReadOnly) & ~HideReadOnly;
        break;
    case 2:
        Flags |= HideReadOnly;
        break;
    default:
        break;
    }
}

int FileDialog::FileMustExist() const
{
    const bool path = Flags & PathMustExist;
    if (path && (Flags & FileMustExistBit))
        return 1;
    if (path && (Flags & CreatePrompt))
        return 4;
    if (Flags & CreatePrompt)
        return 3;
    if (path && (Flags & OverwritePrompt))
        return 6;
    if (Flags & OverwritePrompt)
        return 5;
    return path ? 2 : 0;
}

void FileDialog::setFileMustExist(int value)
{
    switch (value) {
    case 1:
        Flags |= PathMustExist | FileMustExistBit;
        break;
    case 2:
        Flags |= PathMustExist;
        break;
    case 3:
        Flags = (Flags & ~(PathMustExist | FileMustExistBit)) | CreatePrompt;
        break;
    case 4:
        Flags = (Flags & ~FileMustExistBit) | CreatePrompt | PathMustExist;
        break;
    case 5:
        Flags = (Flags & ~PathMustExist) | OverwritePrompt;
        break;
    case 6:
        Flags |= PathMustExist | OverwritePrompt;
        break;
    default:
        break;
    }
}

bool FileDialog::FileMustBeWritable() const
{
    return Flags & NoReadOnlyReturn;
}

void FileDialog::setFileMustBeWriteable(bool value)
{
    Flags = value ? (Flags | NoReadOnlyReturn) : (Flags & ~NoReadOnlyReturn);
}

void FileDialog::AddFilter(const QString& description, const QString& filespec, bool makeDefault)
{
    if (m_filterUsed)
        setFilter(QString());
    m_filter = DialogFilter::append(m_filter, description, filespec);
    if (makeDefault)
        FilterIndex = DialogFilter::entryCount(m_filter);
}

void FileDialog::AddDefaultFilters(QWidget* control)
{
    if (qobject_cast<QTextEdit*>(control)) {
        AddFilter(QStringLiteral("All Document files"), QStringLiteral("*.rtf;*.txt"));
        AddFilter(QStringLiteral("Rich Text Box files"), QStringLiteral("*.rtf"));
        AddFilter(QStringLiteral("Text Files"), QStringLiteral("*.txt"));
    } else if (qobject_cast<QLabel*>(control)) {
        AddFilter(QStringLiteral("All Image files"),
                  QStringLiteral("*.bmp;*.dib;*.wmf;*.emf;*.ico;*.cur"));
        AddFilter(QStringLiteral("Bitmaps"), QStringLiteral("*.bmp;*.dib"));
        AddFilter(QStringLiteral("Metafiles"), QStringLiteral("*.wmf;*.emf"));
        AddFilter(QStringLiteral("Icons"), QStringLiteral("*.ico;*.cur"));
    } else if (qobject_cast<QListWidget*>(control)) {
        AddFilter(QStringLiteral("Data Files"), QStringLiteral("*.dat;*.lst"));
    } else if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control)) {
        AddFilter(QStringLiteral("Text files "), QStringLiteral("*.txt"));
    }
    AddFilter(QStringLiteral("All Files"), QStringLiteral("*.*"));
}

bool FileDialog::Action(int action)
{
    if (action == 1)
        return ShowOpen();
    if (action == 2)
        return ShowSave();
    return false;
}

bool FileDialog::ShowOpen(QWidget* control)
{
    return show(false, control);
}

bool FileDialog::ShowSave(QWidget* control)
{
    return show(true, control);
}

QString FileDialog::SelectedFile(int n) const
{
    if (n < 1 || n > m_selected.size())
        return {};
    return m_selected[n - 1];
}

QString FileDialog::toHost(const QString& windowsPath) const
{
    return m_files && !windowsPath.isEmpty() ? m_files->toHostPath(windowsPath) : windowsPath;
}

QString FileDialog::toWindows(const QString& hostPath) const
{
    return m_files ? m_files->toWindowsPath(hostPath) : hostPath;
}

std::unique_ptr<QIODevice> FileDialog::openFile(QIODevice::OpenMode mode) const
{
    if (m_files)
        return m_files->open(FileName, mode);
    auto file = std::make_unique<QFile>(FileName);
    if (!file->open(mode))
        return nullptr;
    return file;
}

void FileDialog::configure(QFileDialog& dialog, bool save) const
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setObjectName(save ? QStringLiteral("dlgSave") : QStringLiteral("dlgOpen"));
    dialog.setWindowTitle(!DialogTitle.isEmpty() ? DialogTitle
                          : save                 ? QStringLiteral("Save As")
                                                 : QStringLiteral("Open"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & OverwritePrompt));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (Flags & AllowMultiSelect)
            dialog.setFileMode(QFileDialog::ExistingFiles);
        else if (Flags & FileMustExistBit)
            dialog.setFileMode(QFileDialog::ExistingFile);
        else
            dialog.setFileMode(QFileDialog::AnyFile);
    }
    const QStringList filters = DialogFilter::toNameFilters(m_filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
    }
    if (!DefaultExt.isEmpty())
        dialog.setDefaultSuffix(DefaultExt.startsWith(u'.') ? DefaultExt.mid(1) : DefaultExt);
    if (!InitDir.isEmpty())
        dialog.setDirectory(toHost(InitDir));
    // A bare name is offered as it stands; a full path goes through the drives.
    if (!FileName.isEmpty()) {
        const bool fullPath = FileName.contains(u'\\') || FileName.contains(u':');
        dialog.selectFile(fullPath ? toHost(FileName) : FileName);
    }
}

bool FileDialog::show(bool save, QWidget* control)
{
    if (control && m_filter.isEmpty())
        AddDefaultFilters(control);

    QFileDialog dialog(m_owner);
    configure(dialog, save);
    m_filterUsed = true;
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (!chosen) {
        m_error = CancelError ? kCancelError : 0;
        return false;
    }

    QStringList picked;
    qsizetype bufferLength = 0;
    for (const QString& host : dialog.selectedFiles()) {
        picked.append(toWindows(host));
        bufferLength += picked.last().size() + 1;
    }
    // The old dialog failed when the names did not fit the caller's buffer.
    if (MaxFileSize > 0 && bufferLength > MaxFileSize) {
        qCWarning(lcGui) << "File names longer than MaxFileSize" << MaxFileSize;
        m_error = kBufferTooSmall;
        return false;
    }
    m_error = 0;
    m_selected = picked;
    FileName = picked.first();
    FileTitle = lastComponent(FileName);
    // With the details hidden, the dialog names the chosen filter by its description alone.
    const QString chosenFilter = dialog.selectedNameFilter();
    int index = int(DialogFilter::toNameFilters(m_filter).indexOf(chosenFilter));
    if (index < 0)
        index = int(DialogFilter::descriptions(m_filter).indexOf(chosenFilter));
    if (index >= 0)
        FilterIndex = index + 1;

    if (control)
        return save ? SaveFrom(control) : LoadInto(control);
    return true;
}

bool FileDialog::LoadInto(QWidget* control)
{
    const QString host = toHost(FileName);
    if (auto* picture = qobject_cast<QLabel*>(control)) {
        QPixmap pixmap;
        if (!pixmap.load(host)) {
            qCWarning(lcGui) << "Cannot load picture" << FileName;
            return false;
        }
        picture->setPixmap(pixmap);
        return true;
    }
    std::unique_ptr<QIODevice> file = openFile(QIODevice::ReadOnly);
    if (!file) {
        qCWarning(lcGui) << "Cannot read" << FileName;
        return false;
    }
    const QString text = ansi::toUnicode(file->readAll());
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        list->clear();
        list->addItems(linesOf(text));
        if (list->count() > 0)
            list->setCurrentRow(0);
    } else if (auto* edit = qobject_cast<QTextEdit*>(control)) {
        edit->setPlainText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        plain->setPlainText(text);
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        line->setText(text);
    } else {
        return false;
    }
    return true;
}

bool FileDialog::SaveFrom(QWidget* control)
{
    const QString host = toHost(FileName);
    if (auto* picture = qobject_cast<QLabel*>(control)) {
        const QPixmap pixmap = picture->pixmap();
        return !pixmap.isNull() && pixmap.save(host);
    }
    QString text;
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        for (int i = 0; i < list->count(); ++i)
            text += list->item(i)->text() + QStringLiteral("\r\n");
    } else if (auto* edit = qobject_cast<QTextEdit*>(control)) {
        text = edit->toPlainText();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
        text = plain->toPlainText();
    } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
        text = line->text();
    } else {
        return false;
    }
    const QByteArray bytes = ansi::fromUnicode(text);
    std::unique_ptr<QIODevice> file = openFile(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!file || file->write(bytes) != bytes.size()) {
        qCWarning(lcGui) << "Cannot write" << FileName;
        return false;
    }
    return true;
}

} // namespace kv::gui
