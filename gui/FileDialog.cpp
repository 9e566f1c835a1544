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
    : m_files(files), m_owner(owner)
{
}

void FileDialog::setFilter(const QString& filter)
{
    m_filter = filter;
    m_filterUsed = false;
}

FileDialog::Selection FileDialog::selection() const
{
    if (!m_flags.testFlag(Flag::AllowMultiSelect))
        return Selection::Single;
    return m_flags.testFlag(Flag::Explorer) ? Selection::MultipleExplorer : Selection::Multiple;
}

void FileDialog::setSelection(Selection selection)
{
    m_flags.setFlag(Flag::AllowMultiSelect, selection != Selection::Single);
    m_flags.setFlag(Flag::Explorer, selection == Selection::MultipleExplorer);
}

FileDialog::NameCheck FileDialog::nameCheck() const
{
    const bool path = m_flags.testFlag(Flag::PathMustExist);
    if (path && m_flags.testFlag(Flag::FileMustExist))
        return NameCheck::FileMustExist;
    if (m_flags.testFlag(Flag::CreatePrompt))
        return path ? NameCheck::PathMustExistCreatePrompt : NameCheck::CreatePrompt;
    if (m_flags.testFlag(Flag::OverwritePrompt))
        return path ? NameCheck::PathMustExistOverwritePrompt : NameCheck::OverwritePrompt;
    return path ? NameCheck::PathMustExist : NameCheck::None;
}

// Each value adds its own flags and clears only those that would contradict it; a flag word
// can still hold more than one view can name, as it always could.
void FileDialog::setNameCheck(NameCheck check)
{
    switch (check) {
    case NameCheck::None:
        break;
    case NameCheck::FileMustExist:
        m_flags |= Flag::PathMustExist | Flag::FileMustExist;
        break;
    case NameCheck::PathMustExist:
        m_flags |= Flag::PathMustExist;
        break;
    case NameCheck::CreatePrompt:
        m_flags &= ~Flags(Flag::PathMustExist | Flag::FileMustExist);
        m_flags |= Flag::CreatePrompt;
        break;
    case NameCheck::PathMustExistCreatePrompt:
        m_flags &= ~Flags(Flag::FileMustExist);
        m_flags |= Flag::CreatePrompt | Flag::PathMustExist;
        break;
    case NameCheck::OverwritePrompt:
        m_flags &= ~Flags(Flag::PathMustExist);
        m_flags |= Flag::OverwritePrompt;
        break;
    case NameCheck::PathMustExistOverwritePrompt:
        m_flags |= Flag::PathMustExist | Flag::OverwritePrompt;
        break;
    }
}

void FileDialog::addFilter(const QString& description, const QString& filespec, bool makeDefault)
{
    if (m_filterUsed)
        setFilter(QString());
    m_filter = DialogFilter::append(m_filter, description, filespec);
    if (makeDefault)
        m_filterIndex = DialogFilter::entryCount(m_filter);
}

void FileDialog::addFiltersFor(QWidget* control)
{
    if (qobject_cast<QTextEdit*>(control)) {
        addFilter(QStringLiteral("All Document files"), QStringLiteral("*.rtf;*.txt"));
        addFilter(QStringLiteral("Rich Text Box files"), QStringLiteral("*.rtf"));
        addFilter(QStringLiteral("Text Files"), QStringLiteral("*.txt"));
    } else if (qobject_cast<QLabel*>(control)) {
        addFilter(QStringLiteral("All Image files"),
                  QStringLiteral("*.bmp;*.dib;*.wmf;*.emf;*.ico;*.cur"));
        addFilter(QStringLiteral("Bitmaps"), QStringLiteral("*.bmp;*.dib"));
        addFilter(QStringLiteral("Metafiles"), QStringLiteral("*.wmf;*.emf"));
        addFilter(QStringLiteral("Icons"), QStringLiteral("*.ico;*.cur"));
    } else if (qobject_cast<QListWidget*>(control)) {
        addFilter(QStringLiteral("Data Files"), QStringLiteral("*.dat;*.lst"));
    } else if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control)) {
        addFilter(QStringLiteral("Text files "), QStringLiteral("*.txt"));
    }
    addFilter(QStringLiteral("All Files"), QStringLiteral("*.*"));
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
        return m_files->open(m_fileName, mode);
    auto file = std::make_unique<QFile>(m_fileName);
    if (!file->open(mode))
        return nullptr;
    return file;
}

void FileDialog::configure(QFileDialog& dialog, Mode mode) const
{
    const bool save = mode == Mode::Save;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setObjectName(save ? QStringLiteral("saveFileDialog")
                              : QStringLiteral("openFileDialog"));
    dialog.setWindowTitle(!m_title.isEmpty() ? m_title
                          : save             ? QStringLiteral("Save As")
                                             : QStringLiteral("Open"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         !m_flags.testFlag(Flag::OverwritePrompt));
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (m_flags.testFlag(Flag::AllowMultiSelect))
            dialog.setFileMode(QFileDialog::ExistingFiles);
        else if (m_flags.testFlag(Flag::FileMustExist))
            dialog.setFileMode(QFileDialog::ExistingFile);
        else
            dialog.setFileMode(QFileDialog::AnyFile);
    }
    const QStringList filters = DialogFilter::toNameFilters(m_filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (m_filterIndex >= 1 && m_filterIndex <= filters.size())
            dialog.selectNameFilter(filters[m_filterIndex - 1]);
    }
    if (!m_defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(m_defaultSuffix.startsWith(u'.') ? m_defaultSuffix.mid(1)
                                                                 : m_defaultSuffix);
    if (!m_initialFolder.isEmpty())
        dialog.setDirectory(toHost(m_initialFolder));
    // A bare name is offered as it stands; a full path goes through the drives.
    if (!m_fileName.isEmpty()) {
        const bool fullPath = m_fileName.contains(u'\\') || m_fileName.contains(u':');
        dialog.selectFile(fullPath ? toHost(m_fileName) : m_fileName);
    }
}

bool FileDialog::show(Mode mode, QWidget* control)
{
    if (control && m_filter.isEmpty())
        addFiltersFor(control);

    QFileDialog dialog(m_owner);
    configure(dialog, mode);
    m_filterUsed = true;
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (!chosen) {
        m_error = m_cancelIsError ? Error::Cancelled : Error::None;
        return false;
    }

    QStringList picked;
    qsizetype bufferLength = 0;
    for (const QString& host : dialog.selectedFiles()) {
        picked.append(toWindows(host));
        bufferLength += picked.last().size() + 1;
    }
    // The old dialog failed when the names did not fit the caller's buffer.
    if (m_maxNamesLength > 0 && bufferLength > m_maxNamesLength) {
        qCWarning(lcGui) << "File names longer than" << m_maxNamesLength;
        m_error = Error::BufferTooSmall;
        return false;
    }
    m_error = Error::None;
    m_selected = picked;
    m_fileName = picked.first();
    m_fileTitle = lastComponent(m_fileName);
    // With the details hidden, the dialog names the chosen filter by its description alone.
    const QString chosenFilter = dialog.selectedNameFilter();
    int index = int(DialogFilter::toNameFilters(m_filter).indexOf(chosenFilter));
    if (index < 0)
        index = int(DialogFilter::descriptions(m_filter).indexOf(chosenFilter));
    if (index >= 0)
        m_filterIndex = index + 1;

    if (control)
        return mode == Mode::Save ? saveFrom(control) : loadInto(control);
    return true;
}

bool FileDialog::loadInto(QWidget* control)
{
    const QString host = toHost(m_fileName);
    if (auto* picture = qobject_cast<QLabel*>(control)) {
        QPixmap pixmap;
        if (!pixmap.load(host)) {
            qCWarning(lcGui) << "Cannot load picture" << m_fileName;
            return false;
        }
        picture->setPixmap(pixmap);
        return true;
    }
    std::unique_ptr<QIODevice> file = openFile(QIODevice::ReadOnly);
    if (!file) {
        qCWarning(lcGui) << "Cannot read" << m_fileName;
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

bool FileDialog::saveFrom(QWidget* control)
{
    const QString host = toHost(m_fileName);
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
        qCWarning(lcGui) << "Cannot write" << m_fileName;
        return false;
    }
    return true;
}

} // namespace kv::gui
