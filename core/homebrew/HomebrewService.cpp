#include "core/homebrew/HomebrewService.h"

#include "kit/foundation/TruneBinaryLocator.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

#include <QDir>

#include <algorithm>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maximumTokenLength = 128;

bool isTokenCharacter(QChar character)
{
    static const QString alphabet
        = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._/@+-");
    return alphabet.contains(character);
}

// brew takes an argument that names a file as that file's Ruby code, not as a package.
bool looksLikePath(const QString& token)
{
    if (token.startsWith(u'/') || token.startsWith(u'.') || token.endsWith(u".rb"_s, Qt::CaseInsensitive))
        return true;
    const QStringList segments = token.split(u'/');
    return segments.contains(u"."_s) || segments.contains(u".."_s);
}

// Where tests have brew looked for instead of the usual places.
struct SearchOverride {
    std::optional<TruneBundle> bundle;
    std::optional<QStringList> folders;
};

std::mutex searchOverrideLock;
SearchOverride searchOverride;

SearchOverride currentSearchOverride()
{
    const std::lock_guard guard(searchOverrideLock);
    return searchOverride;
}

QStringList packageArguments(const QString& verb, const QString& token, bool isCask)
{
    QStringList arguments{verb};
    if (isCask)
        arguments << QStringLiteral("--cask");
    arguments << token;
    return arguments;
}

HomebrewService::CommandResult runCommand(const QStringList& arguments, bool skipAutoUpdate,
    const HomebrewService::Cancellation& cancellation, const HomebrewService::OutputHandler& onOutput)
{
    const std::optional<QString> brew = HomebrewService::brewExecutableURL();
    if (!brew)
        return std::unexpected(HomebrewServiceError::brewNotInstalled());
    const auto result = HomebrewService::runBrew(*brew, arguments, HomebrewService::commandEnvironment(skipAutoUpdate),
        HomebrewService::BrewOutput::streamed, cancellation, onOutput);
    if (!result)
        return std::unexpected(result.error());
    return HomebrewService::requireSuccess(*result);
}

HomebrewService::CommandResult runPackageCommand(const QString& verb, const QString& name,
    const HomebrewService::UpgradeOptions& options, const HomebrewService::Cancellation& cancellation,
    const HomebrewService::OutputHandler& onOutput)
{
    if (!HomebrewService::isValidToken(name))
        return std::unexpected(HomebrewServiceError::invalidPackageToken(name));
    return runCommand(packageArguments(verb, HomebrewService::trimmedToken(name), options.isCask),
        options.skipAutoUpdate, cancellation, onOutput);
}

} // namespace

HomebrewServiceError HomebrewServiceError::invalidPackageToken(const QString& token)
{
    HomebrewServiceError error;
    error.errorCase = Case::invalidPackageToken;
    error.token = token;
    return error;
}

HomebrewServiceError HomebrewServiceError::commandFailed(int code, const QString& message, std::optional<int> signal)
{
    HomebrewServiceError error;
    error.errorCase = Case::commandFailed;
    error.code = code;
    error.message = message;
    error.signal = signal;
    return error;
}

HomebrewServiceError HomebrewServiceError::brewNotInstalled()
{
    return {};
}

QString HomebrewServiceError::description(TruneLanguage language) const
{
    switch (errorCase) {
    case Case::invalidPackageToken:
        return truneText(QStringLiteral("Invalid Homebrew package identifier: '") + token + QStringLiteral("'."),
            QStringLiteral("Geçersiz Homebrew paket adı: '") + token + QStringLiteral("'."), language);
    case Case::commandFailed: {
        const QString trimmed = message.trimmed();
        if (!trimmed.isEmpty())
            return trimmed;
        if (signal) {
            const QString number = truneDecimal(*signal);
            return truneText(u"Homebrew was terminated by signal "_s + number + u"."_s,
                u"Homebrew "_s + number + u" numaralı sinyalle sonlandırıldı."_s, language);
        }
        return QStringLiteral("Homebrew exited with status ") + truneDecimal(code) + QStringLiteral(".");
    }
    case Case::brewNotInstalled:
        return truneText(QStringLiteral("Homebrew ('brew') was not found on this Mac."),
            QStringLiteral("Bu Mac'te Homebrew ('brew') bulunamadı."), language);
    }
    return {};
}

QString HomebrewServiceError::description() const
{
    return description(TruneLanguage::current());
}

bool HomebrewCommandError::isCancelled() const
{
    const auto* runError = std::get_if<TruneProcessRunError>(&reason);
    return runError && runError->isCancelled();
}

QString HomebrewCommandError::description(TruneLanguage language) const
{
    if (const auto* error = std::get_if<HomebrewServiceError>(&reason))
        return error->description(language);
    if (const auto* error = std::get_if<TruneProcessRunError>(&reason))
        return error->description(language);
    return std::get<TruneJsonError>(reason).description();
}

QString HomebrewCommandError::description() const
{
    return description(TruneLanguage::current());
}

namespace HomebrewService {

QStringList brewSearchFolders()
{
    return {u"/opt/homebrew/bin"_s, u"/usr/local/bin"_s, u"/home/linuxbrew/.linuxbrew/bin"_s,
        QDir::homePath() + u"/.linuxbrew/bin"_s};
}

std::optional<QString> brewExecutableURL()
{
    const SearchOverride override = currentSearchOverride();
    const TruneBundle bundle = override.bundle.value_or(TruneBundle::main());
    if (override.folders)
        return TruneBinaryLocator::locate(
            u"brew"_s, bundle, *override.folders, TruneBinaryLocator::Reach::givenPlacesOnly);
    return TruneBinaryLocator::locate(u"brew"_s, bundle, brewSearchFolders());
}

bool isValidToken(const QString& token)
{
    const QString trimmed = trimmedToken(token);
    if (trimmed.isEmpty() || trimmed.size() > maximumTokenLength || trimmed.startsWith(QLatin1Char('-')))
        return false;
    // Every allowed character is ASCII, so counting UTF-16 units counts characters here.
    return std::ranges::all_of(trimmed, isTokenCharacter) && !looksLikePath(trimmed);
}

CommandResult upgrade(
    const QString& name, const UpgradeOptions& options, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runPackageCommand(QStringLiteral("upgrade"), name, options, cancellation, onOutput);
}

CommandResult upgradeAll(bool skipAutoUpdate, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runCommand({QStringLiteral("upgrade")}, skipAutoUpdate, cancellation, onOutput);
}

CommandResult install(const QString& name, bool isCask, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runPackageCommand(
        QStringLiteral("install"), name, {.isCask = isCask, .skipAutoUpdate = false}, cancellation, onOutput);
}

CommandResult uninstall(
    const QString& name, bool isCask, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runPackageCommand(
        QStringLiteral("uninstall"), name, {.isCask = isCask, .skipAutoUpdate = false}, cancellation, onOutput);
}

CommandResult cleanup(const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runCommand({QStringLiteral("cleanup"), QStringLiteral("--prune=all")}, false, cancellation, onOutput);
}

CommandResult updateRepository(const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runCommand({QStringLiteral("update")}, false, cancellation, onOutput);
}

QString trimmedToken(const QString& name)
{
    return name.trimmed();
}

QMap<QString, QString> commandEnvironment(bool skipAutoUpdate)
{
    QMap<QString, QString> environment{{QStringLiteral("HOMEBREW_NO_ENV_HINTS"), QStringLiteral("1")}};
    if (skipAutoUpdate)
        environment.insert(QStringLiteral("HOMEBREW_NO_AUTO_UPDATE"), QStringLiteral("1"));
    return environment;
}

std::expected<TruneProcessResult, TruneProcessRunError> runBrew(const QString& brewPath, const QStringList& arguments,
    const QMap<QString, QString>& environment, BrewOutput output, const Cancellation& cancellation,
    const OutputHandler& onOutput)
{
    using Capture = TruneProcessRunner::StdoutCapture;
    constexpr qint64 largeDocumentLimit = qint64(256) * 1024 * 1024;
    const Capture capture = output == BrewOutput::read ? Capture::full()
        : output == BrewOutput::largeDocument          ? Capture::full(largeDocumentLimit)
                                                       : Capture::nothing();
    return TruneProcessRunner::run(brewPath, arguments, std::nullopt, environment, capture, cancellation, onOutput);
}

CommandResult requireSuccess(const TruneProcessResult& result)
{
    if (result.exitCode != 0 || result.terminationSignal)
        return std::unexpected(
            HomebrewServiceError::commandFailed(result.exitCode, result.stderrString(), result.terminationSignal));
    return {};
}

void overrideSearchBundle(std::optional<TruneBundle> bundle)
{
    const std::lock_guard guard(searchOverrideLock);
    searchOverride.bundle = std::move(bundle);
}

void overrideSearchFolders(std::optional<QStringList> folders)
{
    const std::lock_guard guard(searchOverrideLock);
    searchOverride.folders = std::move(folders);
}

} // namespace HomebrewService
