#include "RestoreCliUi.h"

#include "restore/RegistryRestore.h"
#include "restore/RestoreStart.h"

namespace kv::cli {

namespace {

// The texts are matched up to the variable part (a path, a disk number).
bool startsWithFixedPart(const QString& text, const QString& sample, const QString& variable)
{
    const QString fixed = sample.left(sample.indexOf(variable));
    return !fixed.isEmpty() && text.startsWith(fixed);
}

} // namespace

RestoreCliUi::Question RestoreCliUi::questionOf(const QString& text, MsgButtons buttons,
                                                const QString& title)
{
    static const QString kMarker = QStringLiteral("\x01");
    if (buttons == MsgButtons::YesNoCancel &&
        text.startsWith(QStringLiteral("Do you wish to make a backup copy of your ")))
        return Question::SafetyCopy;
    if (buttons == MsgButtons::YesNo && title == QStringLiteral("Registry Editor") &&
        startsWithFixedPart(text, RegistryRestore::confirmationText(kMarker), kMarker))
        return Question::RegistryImport;
    if (buttons == MsgButtons::OkCancel &&
        (text == RestoreStart::insertDiskText(0) ||
         startsWithFixedPart(text, RestoreStart::insertDiskText(7), QStringLiteral("7"))))
        return Question::InsertDisk;
    return Question::Other;
}

MsgResult RestoreCliUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                   const QString& title)
{
    if (buttons == MsgButtons::Ok)
        return CliUi::messageBox(text, buttons, icon, title);
    m_err << text << "\n";
    const Question q = questionOf(text, buttons, title);
    if (m_yes && q != Question::Other) {
        m_err << "  -> " << (q == Question::InsertDisk ? "OK" : "Yes") << " (--yes)\n";
        m_err.flush();
        return q == Question::InsertDisk ? MsgResult::Ok : MsgResult::Yes;
    }
    m_refused |= 1u << int(q);
    m_err << "  -> refused: nobody is there to answer"
          << (q != Question::Other ? " (give --yes to answer it)" : "") << "\n";
    m_err.flush();
    return backOutResult(buttons);
}

WabRestoreTarget RestoreCliUi::chooseWabRestore(const QString&)
{
    m_err << "address book: "
          << (m_wab == WabRestoreTarget::NormalLocation ? "to its registered place (--wab normal)"
                                                        : "to My Documents (--wab temp)")
          << "\n";
    m_err.flush();
    return m_wab;
}

} // namespace kv::cli
