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
    QString token;             // invalidPackageToken: the name or query exactly as the caller passed it
    int code = 0;              // commandFailed: brew's exit code (see TruneProcessResult::exitCode)
    QString message;           // commandFailed: brew's standard error as text, untrimmed
    std::optional<int> signal; // commandFailed: the signal that ended brew, when one did

    static HomebrewServiceError invalidPackageToken(const QString& token);
    static HomebrewServiceError commandFailed(
        int code, const QString& message, std::optional<int> signal = std::nullopt);
    static HomebrewServiceError brewNotInstalled();

    // The failure of a command brew has run: its trimmed standard error; when brew wrote nothing
    // but blanks, an English line with the exit status whatever the language, or a line naming
    // the signal that ended it.
    QString description(TruneLanguage language) const;
    // In the interface language of the moment.
    QString description() const;

    bool operator==(const HomebrewServiceError&) const = default;
};

// Why a Homebrew operation gave no result: Homebrew's own refusal or failure, the runner's error
// (brew could not be started, or the run was cancelled), or brew's JSON could not be read.
struct HomebrewCommandError {
    std::variant<HomebrewServiceError, TruneProcessRunError, TruneJsonError> reason;

    HomebrewCommandError(HomebrewServiceError error)
        : reason(std::move(error))
    {
    }
    HomebrewCommandError(TruneProcessRunError error)
        : reason(std::move(error))
    {
    }
    HomebrewCommandError(TruneJsonError error)
        : reason(std::move(error))
    {
    }

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
// its token while brew runs fails with the runner's cancellation error; a cancellation that comes
// after brew has exited leaves the command's real outcome.
namespace HomebrewService {

using Cancellation = std::shared_ptr<TruneProcessCancellation>;
using OutputHandler = TruneProcessRunner::OutputHandler;
using CommandResult = std::expected<void, HomebrewCommandError>;

// The folders brew is looked for in after the program's data folder, in this order:
// "/opt/homebrew/bin", "/usr/local/bin" (Homebrew on a Mac), "/home/linuxbrew/.linuxbrew/bin"
// (Homebrew's shared prefix on Linux), then "~/.linuxbrew/bin" (a user's own Homebrew).
QStringList brewSearchFolders();

// The brew executable: first in the program's data folder ("bin", then the folder itself), then
// in brewSearchFolders(), then the usual system folders and PATH.
std::optional<QString> brewExecutableURL();

// Whether `token` (trimmed of white space and newlines) may be handed to brew as a package name or
// search query: 1 to 128 characters of "a-zA-Z0-9._/@+-", not starting with "-" (brew would read
// an option). Names that look like file paths (starting with "/" or ".", ending in ".rb", or with
// a "." or ".." segment) are refused too, since brew would load them as local Ruby files;
// tap-qualified names ("user/tap/name") stay valid.
bool isValidToken(const QString& token);

struct UpgradeOptions {
    bool isCask = false;
    // Keeps brew from refreshing its package index first.
    bool skipAutoUpdate = false;
};

// Each fails with invalidPackageToken (the name as passed; nothing is started) when the trimmed
// name is no valid token, with brewNotInstalled when brew is not found, with the runner's error
// when brew cannot be started or the run is cancelled, and with commandFailed when brew exits
// with a non-zero status or is killed. Standard output is not kept, however long: only the handler
// sees it.
CommandResult upgrade(const QString& name, const UpgradeOptions& options, const Cancellation& cancellation = nullptr,
    const OutputHandler& onOutput = {});
CommandResult upgradeAll(
    bool skipAutoUpdate, const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});
CommandResult install(
    const QString& name, bool isCask, const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});
CommandResult uninstall(
    const QString& name, bool isCask, const Cancellation& cancellation = nullptr, const OutputHandler& onOutput = {});
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

// What a command keeps of brew's standard output.
enum class BrewOutput {
    // Only handed to the output handler: an action command, whose output may be endless.
    streamed,
    // Kept whole for reading (JSON documents, search listings), up to the runner's default limit
    // of 64 MiB: past it brew is stopped and the run fails with outputTooLarge.
    read,
    // Kept whole as `read`, up to 256 MiB: the document of every installed package grows by
    // about 6.5 KB a package (77 MB for 12,000); the limit still stops a runaway brew.
    largeDocument,
};

// Runs the brew at `brewPath` with `arguments` in our working directory, with `environment` set
// over our own, keeping standard output as `output` says and the last 32768 bytes of standard
// error. A non-zero exit is a result; the runner's error comes back unchanged.
std::expected<TruneProcessResult, TruneProcessRunError> runBrew(const QString& brewPath, const QStringList& arguments,
    const QMap<QString, QString>& environment, BrewOutput output, const Cancellation& cancellation,
    const OutputHandler& onOutput);

// A finished run as a command's outcome: commandFailed for a non-zero exit status or a death by
// a signal.
CommandResult requireSuccess(const TruneProcessResult& result);

// Makes brew be looked for first in `bundle`'s resources ("bin", then the folder itself) instead of
// the program's data folder, so that a test can put a brew of its own there; nullopt goes back to
// the data folder. The folders searched after it stay as they are.
void overrideSearchBundle(std::optional<TruneBundle> bundle);

// Makes brew be looked for after the bundle only in `folders`, with no system folder and no
// PATH after them, so that a test can be sure no brew is found; nullopt goes back to the usual
// places.
void overrideSearchFolders(std::optional<QStringList> folders);

} // namespace HomebrewService
