#include "CliUi.h"

namespace kv::cli {

MsgResult CliUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon, const QString&)
{
    m_err << text << "\n";
    m_err.flush();
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::YesNo:
        return MsgResult::No;
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    default:
        return MsgResult::Cancel;
    }
}

int CliUi::chooseIdentity(const QStringList& names, int currentIndex, bool, const QString&)
{
    if (currentIndex >= 1 && currentIndex <= names.size())
        m_err << "identity chooser: keeping " << names.at(currentIndex - 1) << "\n";
    m_err.flush();
    return currentIndex;
}

} // namespace kv::cli
