#pragma once

#include "shell/Ui.h"

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv::test {

// A Ui that answers every question from a script and records everything shown, so that a
// controller runs headless and a test can check the questions, their order and their texts.
//
// Answers are consumed in order; a question whose next scripted answer is of another kind, or
// that finds the script empty, fails the test and gets the cautious answer (Cancel/No, or the
// current choice). Message boxes with only an OK button need no answer. When the Ui interface
// grows, add a method that records the question and calls takeAnswer() with its kind.
class ScriptedUi : public Ui
{
public:
    struct Shown
    {
        QString kind; // "message", "identity", ... (the answer kind of the question)
        QString text;
        QString title;
        MsgButtons buttons = MsgButtons::Ok;
        MsgIcon icon = MsgIcon::None;
        QStringList items;    // the choices offered (identity names, ...)
        int currentIndex = 0; // the choice preselected
        bool offerCancel = false;
    };

    ScriptedUi& answerMessage(MsgResult r) { return script("message", int(r)); }
    ScriptedUi& answerIdentity(int index) { return script("identity", index); }
    ScriptedUi& answerGenMessage(bool result, bool doNotShow)
    {
        return script("genMessage", QVariantList{result, doNotShow});
    }
    // A cancelled dialog is an empty list.
    ScriptedUi& answerOptions(const std::optional<OptionsAnswer>& a)
    {
        return script("options", a ? QVariantList{a->on, a->text} : QVariantList{});
    }
    ScriptedUi& answerOe4Import(Oe4ImportChoice choice) { return script("oe4Import", int(choice)); }
    ScriptedUi& answerQuickBackup(QuickBackupAnswer a) { return script("quickBackup", int(a)); }
    // "" answers the folder browser as cancelled.
    ScriptedUi& answerFolder(const QString& folder) { return script("folder", folder); }

    // A cancelled backup-file dialog is answerBackupFile("", -1).
    ScriptedUi& answerBackupFile(const QString& path, int restoreType)
    {
        return script("backupFile", QVariantList{path, restoreType});
    }
    ScriptedUi& answerRestoreFolder(int row) { return script("restoreFolder", row); }
    ScriptedUi& answerWabRestore(WabRestoreTarget target)
    {
        return script("wabRestore", int(target));
    }
    // "" answers the Save As dialog as cancelled.
    ScriptedUi& answerSaveFile(const QString& path) { return script("saveFile", path); }

    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override;
    int chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                       const QString& caption) override;
    // Recorded as "genMessage": text, title, currentIndex = help style.
    GenMessageAnswer genMessage(const GenMessage& message) override;
    // Recorded as "options": title = caption, text = the number shown, currentIndex = 1 when
    // the "on" choice is selected, items = on caption, off caption, unit.
    std::optional<OptionsAnswer> getOptions(const OptionsRequest& request) override;
    // Recorded as "about" (title = name, text = version), "help" (text = file, currentIndex =
    // topic), "helpContents", "closeHelp", "beep"; none of them needs an answer.
    void showAbout(const QString& name, const QString& version) override
    {
        record("about", version, name);
    }
    void showHelpTopic(const QString& file, int topic) override
    {
        record("help", file).currentIndex = topic;
    }
    void showHelpContents(const QString& helpFile) override { record("helpContents", helpFile); }
    void closeHelp() override { record("closeHelp"); }
    void beep() override { record("beep"); }
    // Recorded as "oe4Import" and "quickBackup" (offerCancel = the check box is shown).
    Oe4ImportChoice chooseOe4Import() override
    {
        record("oe4Import");
        return Oe4ImportChoice(takeAnswer("oe4Import", int(Oe4ImportChoice::Cancel)).toInt());
    }
    QuickBackupAnswer confirmQuickBackup(bool showCheckBox) override
    {
        record("quickBackup").offerCancel = showCheckBox;
        return QuickBackupAnswer(takeAnswer("quickBackup", int(QuickBackupAnswer::Cancel)).toInt());
    }

    // Recorded as "folder": title, text = the start folder.
    QString chooseFolder(const QString& title, const QString& startFolder) override
    {
        record("folder", startFolder, title);
        return takeAnswer("folder", QString()).toString();
    }
    // Recorded as "backupFile": text = the default path, offerCancel = the version-4 import,
    // currentIndex = 3 when asked for a synchronise.
    BackupFileAnswer chooseBackupFile(const BackupFileRequest& request) override
    {
        Shown& s = record("backupFile", request.defaultPath);
        s.offerCancel = request.oe4Import;
        s.currentIndex = request.synchronise ? 3 : 0;
        const QVariantList a = takeAnswer("backupFile", QVariantList{QString(), -1}).toList();
        return {a.value(0).toString(), a.value(1).toInt()};
    }
    // Recorded as "restoreFolder": items = the rows' texts of the current-folder list.
    int chooseRestoreFolder(TreeListModel& currentFolders) override;
    // Recorded as "wabRestore": text = the help file.
    WabRestoreTarget chooseWabRestore(const QString& helpFile) override
    {
        record("wabRestore", helpFile);
        return WabRestoreTarget(
            takeAnswer("wabRestore", int(WabRestoreTarget::NormalLocation)).toInt());
    }
    // Recorded as "quickWindow" and "quickWindowClosed"; the window's progress is whatever
    // setQuickWindowProgress() gave (none by default).
    RunProgress* openQuickBackupWindow(std::function<void()> cancel) override
    {
        record("quickWindow");
        m_quickCancel = std::move(cancel);
        return m_quickProgress;
    }
    void closeQuickBackupWindow() override { record("quickWindowClosed"); }
    void setQuickWindowProgress(RunProgress* progress) { m_quickProgress = progress; }
    // Recorded as "dragWindow": items = per folder its text, then its paths joined by "|".
    void showDragWindow(const QList<DragFolder>& folders) override
    {
        Shown& s = record("dragWindow");
        for (const DragFolder& f : folders)
            s.items << f.displayText + u'|' + f.paths.join(u'|');
    }
    // Recorded as "saveFile": title, text = the start path, items = the filter.
    QString chooseSaveFile(const QString& title, const QString& startPath,
                           const QString& filter) override
    {
        record("saveFile", startPath, title).items = QStringList{filter};
        return takeAnswer("saveFile", QString()).toString();
    }
    // Presses the quick window's Cancel button.
    void pressQuickWindowCancel()
    {
        if (m_quickCancel)
            m_quickCancel();
    }

    const QList<Shown>& shown() const { return m_shown; }
    // The texts of all message boxes, in order.
    QStringList messages() const;
    // Scripted answers not used yet; a finished scenario normally leaves none.
    int pendingAnswers() const { return int(m_answers.size()); }

protected:
    Shown& record(const char* kind, const QString& text = {}, const QString& title = {})
    {
        Shown& s = m_shown.emplace_back();
        s.kind = QLatin1String(kind);
        s.text = text;
        s.title = title;
        return s;
    }
    // The next scripted answer, which must be of this kind; else fallback (and a test failure).
    QVariant takeAnswer(const char* kind, const QVariant& fallback);
    ScriptedUi& script(const char* kind, const QVariant& value)
    {
        m_answers.append({QLatin1String(kind), value});
        return *this;
    }

private:
    RunProgress* m_quickProgress = nullptr;
    std::function<void()> m_quickCancel;
    QList<std::pair<QString, QVariant>> m_answers; // kind, answer
    QList<Shown> m_shown;
};

} // namespace kv::test
