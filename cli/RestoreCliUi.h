#pragma once

#include "CliUi.h"

namespace kv::cli {

// The command line's answers during a restore. With --yes the three questions a restore asks
// on its way (the copy of the store before a full restore, the registry import of each
// settings group, the next disk of a spanned set) are answered Yes/OK; without it they are
// refused like every other question, which keeps whatever the question was about. The address
// book goes where --wab says.
class RestoreCliUi : public CliUi
{
public:
    RestoreCliUi(QTextStream& err, bool yes, WabRestoreTarget wab)
        : CliUi(err), m_err(err), m_yes(yes), m_wab(wab)
    {
    }

    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override;
    WabRestoreTarget chooseWabRestore(const QString& helpFile) override;

    enum class Question
    {
        Other,
        SafetyCopy,
        RegistryImport,
        InsertDisk
    };
    static Question questionOf(const QString& text, MsgButtons buttons, const QString& title);

    // Whether a question of that kind was refused, so that a stop can be told from a failure.
    bool refused(Question q) const { return m_refused & (1u << int(q)); }

private:
    QTextStream& m_err;
    bool m_yes;
    WabRestoreTarget m_wab;
    unsigned m_refused = 0;
};

} // namespace kv::cli
