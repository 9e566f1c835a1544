#include "support/ScriptedUi.h"

#include "grid/TreeListModel.h"

#include <gtest/gtest.h>

namespace kv::test {

QVariant ScriptedUi::takeAnswer(const char* kind, const QVariant& fallback)
{
    if (m_answers.isEmpty()) {
        ADD_FAILURE() << "unscripted " << kind << " question: "
                      << (m_shown.isEmpty() ? std::string() : m_shown.back().text.toStdString());
        return fallback;
    }
    if (m_answers.front().first != QLatin1String(kind)) {
        ADD_FAILURE() << "a " << kind << " question came where the script expects "
                      << m_answers.front().first.toStdString();
        return fallback;
    }
    return m_answers.takeFirst().second;
}

MsgResult ScriptedUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title)
{
    Shown& s = record("message", text, title);
    s.buttons = buttons;
    s.icon = icon;
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    const MsgResult cautious = buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    return MsgResult(takeAnswer("message", int(cautious)).toInt());
}

int ScriptedUi::chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                               const QString& caption)
{
    Shown& s = record("identity", {}, caption);
    s.items = names;
    s.currentIndex = currentIndex;
    s.offerCancel = offerCancel;
    return takeAnswer("identity", offerCancel ? -currentIndex : currentIndex).toInt();
}

GenMessageAnswer ScriptedUi::genMessage(const GenMessage& message)
{
    record("genMessage", message.text, message.title).currentIndex = message.helpStyle;
    const QVariantList a = takeAnswer("genMessage", QVariantList{false, false}).toList();
    // Only the Yes/No style has a result; the others return False.
    return {message.helpStyle == 0 && a.value(0).toBool(), a.value(1).toBool()};
}

std::optional<OptionsAnswer> ScriptedUi::getOptions(const OptionsRequest& request)
{
    Shown& s = record("options", request.text, request.caption);
    s.currentIndex = request.on ? 1 : 0;
    s.items = QStringList{request.onCaption, request.offCaption, request.unit};
    const QVariantList a = takeAnswer("options", QVariantList{}).toList();
    if (a.size() != 2)
        return std::nullopt;
    return OptionsAnswer{a.at(0).toBool(), a.at(1).toString()};
}

QStringList ScriptedUi::messages() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == QLatin1String("message"))
            texts.append(s.text);
    return texts;
}

int ScriptedUi::chooseRestoreFolder(TreeListModel& currentFolders)
{
    Shown& shown = record("restoreFolder");
    for (int row = 0; row < currentFolders.totalRowCount(); ++row)
        shown.items.append(currentFolders.text(row));
    return takeAnswer("restoreFolder", -1).toInt();
}

} // namespace kv::test
