#pragma once

#include "oeenv/MailClient.h"

#include <QString>
#include <QStringList>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class Ui;

// What the start-up learns about the mail client: which version runs the store, which
// identity is used and where its folders are, or why the program cannot go on.
struct OeEnvironmentResult
{
    enum class Outcome
    {
        Ready,           // mode, store folder and settings section are set
        Fatal,           // message holds the text to show before the program ends
        Oe4StoreMissing, // version 4 was forced and has no store: the import choice decides
    };
    Outcome outcome = Outcome::Fatal;
    MailClient::ClientVersion mode = MailClient::ClientVersion::Missing;
    QString message; // the information box text of a fatal outcome

    MailClient::Oe4Store oe4;
    MailClient::Identities identities;
    // Read only when there is more than one identity.
    MailClient::IdentityOption identityOption = MailClient::IdentityOption::Default;
    bool identityMenuEnabled = false;
    int chosenIndex = 0; // 1-based
    QString chosenId;
    QString chosenName;      // safe form, usable in file names
    QString storeFolder;     // with a trailing "\"
    QString settingsSection; // identity id, or "Parms"
    QString captionSuffix;   // " -- Identity: name" with more than one identity
    QString backupBaseName;  // "Korvane5Backup" / "KorvaneBackup"
    QString nameInfix;       // "." + name + "." / "."

    bool isOe5() const { return mode == MailClient::ClientVersion::OE5; }
    int identityCount() const { return identities.count(); }
};

// The start-up's decision about the environment, shared by the window and the command line.
class OeEnvironment
{
public:
    // forceOe4: the command line asked for version-4 mode. The chooser (when the identity
    // option says to prompt) is captioned with the given caption.
    static OeEnvironmentResult detect(platform::Platform& platform, AppSettings& settings, Ui& ui,
                                      bool forceOe4, const QString& caption);

    // The identity chooser with its answer checked: a chosen 1-based index, or the negated
    // current index when the user cancelled (only when offerCancel).
    static int chooseIdentity(Ui& ui, const QStringList& names, int currentIndex, bool offerCancel,
                              const QString& caption);

    // Switch Identities: asks with Cancel; a choice is saved as "StartAs" for the next start.
    // True when the program is to restart; currentIndex is left as it was on cancel.
    static bool switchIdentity(AppSettings& settings, Ui& ui, const MailClient::Identities& ids,
                               int currentIndex, const QString& caption);

private:
    static void setUpOe4(OeEnvironmentResult& r);
    static void chooseOe5Identity(platform::Platform& platform, AppSettings& settings, Ui& ui,
                                  const QString& caption, RegistryAccess& reg,
                                  OeEnvironmentResult& r);
};

} // namespace kv
