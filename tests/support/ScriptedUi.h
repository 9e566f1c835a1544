#pragma once

#include "shell/Ui.h"

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv::test {

// A Ui that answers from a script, in order, and records everything shown. A question whose next
// answer is of another kind, or missing, fails the test and gets the cautious answer; OK-only
// message boxes need none.
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
    ScriptedUi& answerOptions(const std::optional<OptionsAnswer>& a)
    {
        return script("options", a ? QVariantList{a->on, a->text} : QVariantList{});
    }
    ScriptedUi& answerOe4Import(Oe4ImportChoice choice) { return script("oe4Import", int(choice)); }
    ScriptedUi& answerQuickBackup(QuickBackupAnswer a) { return script("quickBackup", int(a)); }
    ScriptedUi& answerFolder(const QString& folder) { return script("folder", folder); }

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
    // Recorded by kind; where the fields do not say it: genMessage currentIndex = help style;
    // options text = the number, currentIndex = 1 when "on", items = on, off, unit captions;
    // about title = name, text = version; help currentIndex = topic; quickBackup offerCancel =
    // the check box; backupFile offerCancel = the version-4 import, currentIndex = 3 for a
    // synchronise; dragWindow items = per folder its text then its paths, joined by "|".
    GenMessageAnswer genMessage(const GenMessage& message) override;
    std::optional<OptionsAnswer> getOptions(const OptionsRequest& request) override;
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

    QString chooseFolder(const QString& title, const QString& startFolder) override
    {
        record("folder", startFolder, title);
        return takeAnswer("folder", QString()).toString();
    }
    BackupFileAnswer chooseBackupFile(const BackupFileRequest& request) override
    {
        Shown& s = record("backupFile", request.defaultPath);
        s.offerCancel = request.oe4Import;
        s.currentIndex = request.synchronise ? 3 : 0;
        const QVariantList a = takeAnswer("backupFile", QVariantList{QString(), -1}).toList();
        return {a.value(0).toString(), a.value(1).toInt()};
    }
    int chooseRestoreFolder(TreeListModel& currentFolders) override;
    WabRestoreTarget chooseWabRestore(const QString& helpFile) override
    {
        record("wabRestore", helpFile);
        return WabRestoreTarget(
            takeAnswer("wabRestore", int(WabRestoreTarget::NormalLocation)).toInt());
    }
    RunProgress* openQuickBackupWindow(std::function<void()>) override
    {
        record("quickWindow");
        return nullptr;
    }
    void closeQuickBackupWindow() override { record("quickWindowClosed"); }
    void showDragWindow(const QList<DragFolder>& folders) override
    {
        Shown& s = record("dragWindow");
        for (const DragFolder& f : folders)
            s.items << f.displayText + u'|' + f.paths.join(u'|');
    }
    QString chooseSaveFile(const QString& title, const QString& startPath,
                           const QString& filter) override
    {
        record("saveFile", startPath, title).items = QStringList{filter};
        return takeAnswer("saveFile", QString()).toString();
    }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList messages() const; // the texts of all message boxes, in order
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
    QVariant takeAnswer(const char* kind, const QVariant& fallback);
    ScriptedUi& script(const char* kind, const QVariant& value)
    {
        m_answers.append({QLatin1String(kind), value});
        return *this;
    }

private:
    QList<std::pair<QString, QVariant>> m_answers; // kind, answer
    QList<Shown> m_shown;
};

} // namespace kv::test
