#pragma once

#include <QString>
#include <QStringList>

namespace kv {

// Message-box buttons, icons and answers, numbered as the Windows message box numbers them.
enum class MsgButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4,
                        RetryCancel = 5 };
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Everything modal the program asks or tells the user. The GUI shows dialogs; the command line
// answers from its options; tests answer from a script and record what was shown. Later parts
// of the program add their questions here.
class Ui
{
public:
    virtual ~Ui() = default;

    // A message box titled with the given title (the program title unless a Part says else).
    virtual MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title) = 0;

    // The identity chooser: names in list order, the current 1-based index preselected. Returns
    // the chosen 1-based index, or the negated current index when cancelled (only possible when
    // offerCancel is true).
    virtual int chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                               const QString& caption) = 0;
};

} // namespace kv
