#pragma once

#include "kit/foundation/TruneProcessCancellation.h"
#include "kit/foundation/TruneProcessResult.h"
#include "kit/foundation/TruneProcessRunner.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneBundle.h"
#include "kit/platform/TruneJson.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <expected>
#include <memory>
#include <optional>
#include <variant>

// Why Homebrew could not do what was asked.
struct HomebrewServiceError {
    enum class Case { invalidPackageToken, commandFailed, brewNotInstalled };

    Case errorCase = Case::brewNotInstalled;
    QString token;   // invalidPackageToken: the name or query exactly as the caller passed it
    int code = 0;    // commandFailed: brew's exit status
    QString message; // commandFailed: brew's standard error as text, untrimmed

    static HomebrewServiceError invalidPackageToken(const QString& token);
    static HomebrewServiceError commandFailed(int code, const QString& message);
    static HomebrewServiceError brewNotInstalled();

    // The failure of a command brew has run: its trimmed standard error, or an English line with
    // the exit status when brew wrote nothing but blanks, whatever the language.
    QString description(TruneLanguage language) const;
    // In the interface language of the moment.
    QString description() const;

    bool operator==(const HomebrewServiceError&) const = default;
};

// Why a Homebrew operation gave no result: Homebrew's own refusal or failure, the runner's error
// (brew could not be started, or the run was cancelled), or brew's JSON could not be read.
struct HomebrewCommandError {
    std::variant<HomebrewServiceError, TruneProcessRunError, TruneJsonError> reason;

    HomebrewCommandError(HomebrewServiceError error) : reason(std::move(error)) {}
    HomebrewCommandError(TruneProcessRunError error) : reason(std::move(error)) {}
    HomebrewCommandError(TruneJsonError error) : reason(std::move(error)) {}

    // The run was stopped through its cancellation token.
    bool isCancelled() const;
    // nullptr unless Homebrew itself refused or failed.
    const HomebrewServiceError* serviceError() const { return std::get_if<HomebrewServiceError>(&reason); }

    QString description(TruneLanguage language) const;
    // In the interface language of the moment.
    QString description() const;

    bool operator==(const HomebrewCommandError&) const = default;
};

// The gateway to the Homebrew command-line tool. Keeps no state between calls: brew is looked
// for afresh by every command, so a Homebrew installed while the program runs is found by the
// next one. Every command blocks until brew has exited: call it from a worker thread. Keeping
// commands one at a time is the caller's business.
//
// A cancellation token and an output handler are handed to the process runner unchanged: the
// handler receives brew's standard output and error as they arrive, not cut at line ends, on the
// thread that runs the command, and must be safe to call from there. A command cancelled through
// its token fails with the runner's cancellation error, even when brew had already done its work.
namespace HomebrewService {

using Cancellation = std::shared_ptr<TruneProcessCancellation>;
using OutputHandler = TruneProcessRunner::OutputHandler;
using CommandResult = std::expected<void, HomebrewCommandError>;

// The brew executable: first in the program's data folder ("bin", then the folder itself), then
// in "/opt/homebrew/bin" and "/usr/local/bin", then the usual system folders and PATH.
std::optional<QString> brewExecutableURL();

// Whether `token` (trimmed of white space and newlines) may be handed to brew as a package name or
// search query: 1 to 128 characters of "a-zA-Z0-9._/@+-", not starting with "-" (brew would read
// an option). Names that look like file paths (starting with "/" or ".", or with a ".." segment)
// are refused too, since brew would load them as local Ruby files; tap-qualified names
// ("user/tap/name") stay valid.
bool isValidToken(const QString& token);

// Each fails with invalidPackageToken (the name as passed; nothing is started) when the trimmed
// name is no valid token, with brewNotInstalled when brew is not found, with the runner's error
// when brew cannot be started or the run is cancelled, and with commandFailed when brew exits
// with a non-zero status. Standard output is not kept: the handler has seen it.
CommandResult upgrade(const QString& name, bool isCask, bool skipAutoUpdate, const Cancellation& cancellation = nullptr,
                      const OutputHandler& onOutput = {});
CommandResult upgradeAll(bool skipAutoUpdate, const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});
CommandResult install(const QString& name, bool isCask, const Cancellation& cancellation = nullptr,
                      const OutputHandler& onOutput = {});
CommandResult uninstall(const QString& name, bool isCask, const Cancellation& cancellation = nullptr,
                        const OutputHandler& onOutput = {});
// "brew cleanup --prune=all"
CommandResult cleanup(const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});
// "brew update": refreshes Homebrew's package index.
CommandResult updateRepository(const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});

// --- The launch path every Homebrew command of the program takes ---

// `name` trimmed of white space and newlines, as brew gets it.
QString trimmedToken(const QString& name);

// The environment entries a command adds to ours: hints off, and automatic index updates off
// when `skipAutoUpdate`.
QMap<QString, QString> commandEnvironment(bool skipAutoUpdate);

// Runs the brew at `brewPath` with `arguments` in our working directory, with `environment` set
// over our own, keeping all of standard output (and the last 32768 bytes of standard error).
// A non-zero exit is a result; the runner's error comes back unchanged.
std::expected<TruneProcessResult, TruneProcessRunError> runBrew(const QString& brewPath, const QStringList& arguments,
                                                                const QMap<QString, QString>& environment,
                                                                const Cancellation& cancellation,
                                                                const OutputHandler& onOutput);

// A finished run as a command's outcome: commandFailed for a non-zero exit status.
CommandResult requireSuccess(const TruneProcessResult& result);

// Makes brew be looked for first in `bundle`'s resources ("bin", then the folder itself) instead of
// the program's data folder, so that a test can put a brew of its own there; nullopt goes back to
// the data folder. The folders searched after it stay as they are.
void overrideSearchBundle(std::optional<TruneBundle> bundle);

} // namespace HomebrewService
