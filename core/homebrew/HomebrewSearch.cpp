#include "core/homebrew/HomebrewSearch.h"

#include "core/homebrew/HomebrewCaskMatcher.h"

#include <algorithm>

namespace {

bool isLineBreak(QChar character)
{
    switch (character.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

// Pieces of `text` between separators, without empty pieces.
template <typename IsSeparator> QList<QStringView> piecesOf(QStringView text, IsSeparator isSeparator)
{
    QList<QStringView> pieces;
    qsizetype start = 0;
    for (qsizetype index = 0; index <= text.size(); ++index) {
        if (index < text.size() && !isSeparator(text[index]))
            continue;
        if (index > start)
            pieces.append(text.sliced(start, index - start));
        start = index + 1;
    }
    return pieces;
}

bool isListingLine(QStringView line)
{
    return !line.isEmpty() && !line.startsWith(u"==>") && !line.startsWith(u"Warning:");
}

HomebrewItem searchResult(const QString& word, bool isCask, const QSet<QString>& installedTokens)
{
    return HomebrewItem(word, std::nullopt, isCask, std::nullopt, QString(), false, QString(), std::nullopt,
        installedTokens.contains(word.toLower()), {}, true);
}

// brew ends a search that matched nothing with a non-zero status and "Error: No casks found
// for ..." (or formulae, or both); any other non-zero end is a failure to search.
bool foundNothing(const TruneProcessResult& run)
{
    const QString reason = run.stderrString().trimmed();
    return reason.startsWith(u"Error: No ") && reason.contains(u" found");
}

std::optional<HomebrewCommandError> searchFailure(const TruneProcessResult& run)
{
    const HomebrewService::CommandResult outcome = HomebrewService::requireSuccess(run);
    if (outcome || foundNothing(run))
        return std::nullopt;
    return outcome.error();
}

std::vector<HomebrewItem> parsedResults(
    const TruneProcessResult& run, bool isCask, const QSet<QString>& installedTokens)
{
    if (run.exitCode != 0)
        return {};
    return HomebrewService::parseSearchOutput(run.stdoutString(), isCask, installedTokens);
}

} // namespace

namespace HomebrewService {

std::expected<std::vector<HomebrewItem>, HomebrewCommandError> search(
    const QString& query, const std::vector<HomebrewItem>& installedItems, const Cancellation& cancellation)
{
    if (!isValidToken(query))
        return std::unexpected(HomebrewServiceError::invalidPackageToken(query));
    const std::optional<QString> brew = brewExecutableURL();
    if (!brew)
        return std::unexpected(HomebrewServiceError::brewNotInstalled());
    const QString token = trimmedToken(query);
    const QMap<QString, QString> environment = commandEnvironment(true);

    QSet<QString> installedFormulae;
    QSet<QString> installedCasks;
    for (const HomebrewItem& item : installedItems)
        (item.isCask ? installedCasks : installedFormulae).insert(item.name.toLower());

    const auto caskSearch = runBrew(*brew, {QStringLiteral("search"), QStringLiteral("--cask"), token}, environment,
        BrewOutput::read, cancellation, {});
    if (!caskSearch)
        return std::unexpected(caskSearch.error());
    const auto formulaSearch = runBrew(*brew, {QStringLiteral("search"), QStringLiteral("--formula"), token},
        environment, BrewOutput::read, cancellation, {});
    if (!formulaSearch)
        return std::unexpected(formulaSearch.error());

    std::vector<HomebrewItem> results = parsedResults(*caskSearch, true, installedCasks);
    std::vector<HomebrewItem> formulae = parsedResults(*formulaSearch, false, installedFormulae);
    results.insert(results.end(), std::make_move_iterator(formulae.begin()), std::make_move_iterator(formulae.end()));
    // A half that failed is only left empty while the other found something; with nothing found
    // at all, the failure is the answer, so that it never reads as "no package matches".
    if (results.empty()) {
        for (const TruneProcessResult* run : {&*caskSearch, &*formulaSearch}) {
            if (std::optional<HomebrewCommandError> failure = searchFailure(*run))
                return std::unexpected(std::move(*failure));
        }
    }
    return results;
}

std::vector<HomebrewItem> parseSearchOutput(const QString& output, bool isCask, const QSet<QString>& installedTokens)
{
    std::vector<HomebrewItem> results;
    QSet<QString> taken;
    for (const QStringView line : piecesOf(output, isLineBreak)) {
        const QStringView trimmed = line.trimmed();
        if (!isListingLine(trimmed))
            continue;
        for (const QStringView piece : piecesOf(trimmed, [](QChar character) { return character.isSpace(); })) {
            const QString word = piece.toString();
            if (!isValidToken(word))
                continue;
            const QString lowered = word.toLower();
            if (taken.contains(lowered))
                continue;
            taken.insert(lowered);
            results.push_back(searchResult(word, isCask, installedTokens));
        }
    }
    return results;
}

std::optional<HomebrewItem> matchCask(const InstalledAppRecord& app, const std::vector<HomebrewItem>& items)
{
    const HomebrewItem* cask = HomebrewCaskMatcher(items).match(app);
    return cask ? std::optional(*cask) : std::nullopt;
}

} // namespace HomebrewService
