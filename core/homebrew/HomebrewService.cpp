#include "core/homebrew/HomebrewService.h"

#include "kit/foundation/TruneBinaryLocator.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

#include <algorithm>
#include <mutex>

namespace {

constexpr qsizetype maximumTokenLength = 128;

bool isTokenCharacter(QChar character)
{
    static const QString alphabet =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._/@+-");
    return alphabet.contains(character);
}

// brew takes an argument that names a file as that file's Ruby code, not as a package.
bool looksLikePath(const QString& token)
{
    return token.startsWith(QLatin1Char('/')) || token.startsWith(QLatin1Char('.'))
        || token.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

std::mutex searchBundleLock;
std::optional<TruneBundle> searchBundleOverride;

TruneBundle searchBundle()
{
    const std::lock_guard guard(searchBundleLock);
    return searchBundleOverride.value_or(TruneBundle::main());
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
                                          const HomebrewService::Cancellation& cancellation,
                                          const HomebrewService::OutputHandler& onOutput)
{
    const std::optional<QString> brew = HomebrewService::brewExecutableURL();
    if (!brew)
        return std::unexpected(HomebrewServiceError::brewNotInstalled());
    const auto result = HomebrewService::runBrew(*brew, arguments, HomebrewService::commandEnvironment(skipAutoUpdate),
                                                 cancellation, onOutput);
    if (!result)
        return std::unexpected(result.error());
    return HomebrewService::requireSuccess(*result);
}

HomebrewService::CommandResult runPackageCommand(const QString& verb, const QString& name, bool isCask,
                                                 bool skipAutoUpdate, const HomebrewService::Cancellation& cancellation,
                                                 const HomebrewService::OutputHandler& onOutput)
{
    if (!HomebrewService::isValidToken(name))
        return std::unexpected(HomebrewServiceError::invalidPackageToken(name));
    return runCommand(packageArguments(verb, HomebrewService::trimmedToken(name), isCask), skipAutoUpdate, cancellation,
                      onOutput);
}

} // namespace

HomebrewServiceError HomebrewServiceError::invalidPackageToken(const QString& token)
{
    HomebrewServiceError error;
    error.errorCase = Case::invalidPackageToken;
    error.token = token;
    return error;
}

HomebrewServiceError HomebrewServiceError::commandFailed(int code, const QString& message)
{
    HomebrewServiceError error;
    error.errorCase = Case::commandFailed;
    error.code = code;
    error.message = message;
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

std::optional<QString> brewExecutableURL()
{
    return TruneBinaryLocator::locate(QStringLiteral("brew"), searchBundle(),
                                      {QStringLiteral("/opt/homebrew/bin"), QStringLiteral("/usr/local/bin")});
}

bool isValidToken(const QString& token)
{
    const QString trimmed = trimmedToken(token);
    if (trimmed.isEmpty() || trimmed.size() > maximumTokenLength || trimmed.startsWith(QLatin1Char('-')))
        return false;
    // Every allowed character is ASCII, so counting UTF-16 units counts characters here.
    return std::ranges::all_of(trimmed, isTokenCharacter) && !looksLikePath(trimmed);
}

CommandResult upgrade(const QString& name, bool isCask, bool skipAutoUpdate, const Cancellation& cancellation,
                      const OutputHandler& onOutput)
{
    return runPackageCommand(QStringLiteral("upgrade"), name, isCask, skipAutoUpdate, cancellation, onOutput);
}

CommandResult upgradeAll(bool skipAutoUpdate, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runCommand({QStringLiteral("upgrade")}, skipAutoUpdate, cancellation, onOutput);
}

CommandResult install(const QString& name, bool isCask, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runPackageCommand(QStringLiteral("install"), name, isCask, false, cancellation, onOutput);
}

CommandResult uninstall(const QString& name, bool isCask, const Cancellation& cancellation, const OutputHandler& onOutput)
{
    return runPackageCommand(QStringLiteral("uninstall"), name, isCask, false, cancellation, onOutput);
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
                                                                const QMap<QString, QString>& environment,
                                                                const Cancellation& cancellation,
                                                                const OutputHandler& onOutput)
{
    return TruneProcessRunner::run(brewPath, arguments, std::nullopt, environment, true, cancellation, onOutput);
}

CommandResult requireSuccess(const TruneProcessResult& result)
{
    if (result.exitCode != 0)
        return std::unexpected(HomebrewServiceError::commandFailed(result.exitCode, result.stderrString()));
    return {};
}

void overrideSearchBundle(std::optional<TruneBundle> bundle)
{
    const std::lock_guard guard(searchBundleLock);
    searchBundleOverride = std::move(bundle);
}

} // namespace HomebrewService
