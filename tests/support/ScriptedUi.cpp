#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {
const QString kMessage = QStringLiteral("message");
const QString kIdentity = QStringLiteral("identity");
const QString kGenMessage = QStringLiteral("genMessage");
const QString kOptions = QStringLiteral("options");
const QString kOe4Import = QStringLiteral("oe4Import");
const QString kQuickBackup = QStringLiteral("quickBackup");
} // namespace

ScriptedUi& ScriptedUi::answerMessage(MsgResult result)
{
    script(kMessage, int(result));
    return *this;
}

ScriptedUi& ScriptedUi::answerIdentity(int index)
{
    script(kIdentity, index);
    return *this;
}

ScriptedUi& ScriptedUi::answerGenMessage(bool result, bool doNotShow)
{
    script(kGenMessage, QVariantList{result, doNotShow});
    return *this;
}

ScriptedUi& ScriptedUi::answerOptions(const std::optional<OptionsAnswer>& answer)
{
    // A cancelled dialog is an empty list.
    script(kOptions, answer ? QVariantList{answer->on, answer->text} : QVariantList{});
    return *this;
}

ScriptedUi& ScriptedUi::answerOe4Import(Oe4ImportChoice choice)
{
    script(kOe4Import, int(choice));
    return *this;
}

ScriptedUi& ScriptedUi::answerQuickBackup(QuickBackupAnswer answer)
{
    script(kQuickBackup, int(answer));
    return *this;
}

QVariant ScriptedUi::takeAnswer(const QString& kind, const QVariant& fallback)
{
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unscripted " << kind.toStdString() << " question: "
                      << (m_shown.isEmpty() ? std::string() : m_shown.back().text.toStdString());
        return fallback;
    }
    if (m_answers.front().kind != kind) {
        ADD_FAILURE() << "a " << kind.toStdString() << " question came where the script expects "
                      << m_answers.front().kind.toStdString();
        return fallback;
    }
    return m_answers.takeFirst().value;
}

MsgResult ScriptedUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title)
{
    Shown s;
    s.kind = kMessage;
    s.text = text;
    s.title = title;
    s.buttons = buttons;
    s.icon = icon;
    record(s);
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    const MsgResult cautious = buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    return MsgResult(takeAnswer(kMessage, int(cautious)).toInt());
}

int ScriptedUi::chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                               const QString& caption)
{
    Shown s;
    s.kind = kIdentity;
    s.title = caption;
    s.items = names;
    s.currentIndex = currentIndex;
    s.offerCancel = offerCancel;
    record(s);
    const int cautious = offerCancel ? -currentIndex : currentIndex;
    return takeAnswer(kIdentity, cautious).toInt();
}

GenMessageAnswer ScriptedUi::genMessage(const GenMessage& message)
{
    Shown s;
    s.kind = kGenMessage;
    s.text = message.text;
    s.title = message.title;
    s.currentIndex = message.helpStyle;
    record(s);
    const QVariantList a = takeAnswer(kGenMessage, QVariantList{false, false}).toList();
    // Only the Yes/No style has a result; the others return False.
    return {message.helpStyle == 0 && a.value(0).toBool(), a.value(1).toBool()};
}

std::optional<OptionsAnswer> ScriptedUi::getOptions(const OptionsRequest& request)
{
    Shown s;
    s.kind = kOptions;
    s.title = request.caption;
    s.text = request.text;
    s.currentIndex = request.on ? 1 : 0;
    s.items = QStringList{request.onCaption, request.offCaption, request.unit};
    record(s);
    const QVariantList a = takeAnswer(kOptions, QVariantList{}).toList();
    if (a.size() != 2)
        return std::nullopt;
    return OptionsAnswer{a.at(0).toBool(), a.at(1).toString()};
}

void ScriptedUi::showAbout(const QString& programName, const QString& version)
{
    Shown s;
    s.kind = QStringLiteral("about");
    s.title = programName;
    s.text = version;
    record(s);
}

void ScriptedUi::showHelpTopic(const QString& helpFile, int topic)
{
    Shown s;
    s.kind = QStringLiteral("help");
    s.text = helpFile;
    s.currentIndex = topic;
    record(s);
}

void ScriptedUi::showHelpContents(const QString& helpFile)
{
    Shown s;
    s.kind = QStringLiteral("helpContents");
    s.text = helpFile;
    record(s);
}

void ScriptedUi::closeHelp()
{
    Shown s;
    s.kind = QStringLiteral("closeHelp");
    record(s);
}

void ScriptedUi::beep()
{
    Shown s;
    s.kind = QStringLiteral("beep");
    record(s);
}

Oe4ImportChoice ScriptedUi::chooseOe4Import()
{
    Shown s;
    s.kind = kOe4Import;
    record(s);
    return Oe4ImportChoice(takeAnswer(kOe4Import, int(Oe4ImportChoice::Cancel)).toInt());
}

QuickBackupAnswer ScriptedUi::confirmQuickBackup(bool showCheckBox)
{
    Shown s;
    s.kind = kQuickBackup;
    s.offerCancel = showCheckBox;
    record(s);
    return QuickBackupAnswer(takeAnswer(kQuickBackup, int(QuickBackupAnswer::Cancel)).toInt());
}

QStringList ScriptedUi::messages() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == kMessage)
            texts.append(s.text);
    return texts;
}

} // namespace kv::test
