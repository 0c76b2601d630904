#pragma once

#include "core/homebrew/HomebrewInstalledSnapshot.h"
#include "core/homebrew/HomebrewOutdatedSnapshot.h"
#include "core/homebrew/HomebrewService.h"
#include "core/records/HomebrewItem.h"
#include "kit/platform/TruneJson.h"

#include <QByteArray>
#include <QLocale>

#include <vector>

// Homebrew's own view of the machine, read from the JSON of `brew info` and `brew outdated`.
namespace HomebrewService {

// Every installed formula and cask, with the outdated state applied, in the canonical order.
// Runs `brew info --json=v2 --installed`, then `brew outdated --json=v2`, with hints and automatic
// index updates off, and blocks until both have exited: call it from a worker thread. Fails
// with brewNotInstalled, with the runner's error (brew cannot be started, or the token was
// cancelled during either command), with commandFailed when `brew info` exits non-zero, and with
// the JSON error when its output cannot be read. A `brew outdated` that fails, prints nothing or
// prints something unreadable is no failure: the items keep what `brew info` said of them.
std::expected<std::vector<HomebrewItem>, HomebrewCommandError> fetchInstalledAndOutdated(
    const Cancellation& cancellation = nullptr);

// The functions below are pure and may run on any thread.

// Reads the output of `brew info --json=v2 --installed`. Any malformed formula or cask fails the
// whole document: there is never a partial list. Moving the output in spares a copy of it.
TruneJsonResult<HomebrewInstalledSnapshot> parseInstalledInfoJSON(QByteArray json);

// Reads the output of `brew outdated --json=v2`. Entries keep Homebrew's order.
TruneJsonResult<HomebrewOutdatedSnapshot> parseOutdatedJSON(const QByteArray& json);

// The installed items with the outdated state applied, in the canonical Homebrew order. Names
// are matched case-insensitively within their kind; an outdated entry that matches nothing is
// ignored, and when one list holds a name twice the first entry counts. A pinned formula is
// never outdated. An item that `brew outdated` lists is installed, whatever `brew info` said.
// With `trustOutdatedAsAuthoritative`, items that `brew outdated` does not list are not
// outdated; without it they keep the flag `brew info` gave them.
std::vector<HomebrewItem> merge(const HomebrewInstalledSnapshot& installed, const HomebrewOutdatedSnapshot& outdated,
    bool trustOutdatedAsAuthoritative, const QLocale& locale = QLocale());

} // namespace HomebrewService
