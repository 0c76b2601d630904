#pragma once

#include "core/homebrew/HomebrewService.h"
#include "core/records/HomebrewItem.h"
#include "core/records/InstalledAppRecord.h"

#include <QSet>
#include <QString>

#include <expected>
#include <optional>
#include <vector>

// Homebrew packages by name: the package search, and the cask behind an installed app.
namespace HomebrewService {

// The casks, then the formulae, whose names match `query` (trimmed), each marked installed when
// `installedItems` holds an item of its kind and name (ignoring case). Runs `brew search --cask`,
// then `brew search --formula`, and blocks until both have exited: call it from a worker thread.
// Fails with invalidPackageToken (the query as passed; a query of two words is refused, not
// split), brewNotInstalled, or the runner's error (then the formula search is not started).
// A half that exits non-zero is left empty; when neither half found anything and one of them
// failed for another reason than brew's "Error: No ... found" (offline, a broken tap), the search
// fails with that half's commandFailed.
std::expected<std::vector<HomebrewItem>, HomebrewCommandError> search(
    const QString& query, const std::vector<HomebrewItem>& installedItems, const Cancellation& cancellation = nullptr);

// One item per package name in the text `brew search` printed, in order of appearance. Headings
// ("==> Casks"), warnings, blank lines and words that are no valid package name (such as the
// check mark brew prints beside an installed package) are passed over; a name printed twice,
// in any letter case, counts once, spelled as first printed. `installedTokens` holds lower-case
// names.
std::vector<HomebrewItem> parseSearchOutput(const QString& output, bool isCask, const QSet<QString>& installedTokens);

// The cask among `items` that installed `app`: first any cask whose app artifacts include the
// app's bundle name (ignoring case), else one whose name or full name equals the app's name
// once case, spaces, punctuation and symbols are removed (only for app names that keep at least
// three characters that way). Formulae never match. The first match in list order wins.
std::optional<HomebrewItem> matchCask(const InstalledAppRecord& app, const std::vector<HomebrewItem>& items);

} // namespace HomebrewService
