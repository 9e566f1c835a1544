#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {
const QString kMessage = QStringLiteral("message");
const QString kIdentity = QStringLiteral("identity");
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

QStringList ScriptedUi::messages() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == kMessage)
            texts.append(s.text);
    return texts;
}

} // namespace kv::test
