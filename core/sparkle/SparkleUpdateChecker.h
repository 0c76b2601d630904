#pragma once

#include "core/records/InstalledAppRecord.h"
#include "core/sparkle/SparkleAppcastItem.h"
#include "core/sparkle/SparkleFeedAppQueue.h"

#include <QHash>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <stop_token>
#include <vector>

// What one application's appcast feed offers: the newest release the running system may install,
// and whether it is newer than the installed version.
struct SparkleUpdateCheckResult {
    QString appID; // the InstalledAppRecord's id
    SparkleAppcastItem latestItem;
    bool updateAvailable = false;

    bool operator==(const SparkleUpdateCheckResult&) const = default;
};

// Reads the appcast feed of every installed application that names one over HTTP or HTTPS and
// reports the newest compatible release it offers. A redirect from https to http is refused: a
// feed asked for over TLS is never read in the clear. Keeps no state between calls.
struct SparkleUpdateChecker {
    explicit SparkleUpdateChecker(double timeoutSeconds)
        : timeoutSeconds(timeoutSeconds)
    {
    }

    // Request time-out of every fetch: the longest wait for the next bytes. A whole fetch may
    // take timeoutSeconds + 5 seconds at most.
    double timeoutSeconds;

    // One result per application whose feed yielded a compatible release, keyed by app id (when
    // two records share an id, the fetch that finished last wins). Feeds are fetched at most
    // max(1, maxConcurrency) at a time, started in the order of `apps`. Any failure of one feed
    // (an address that is not http(s), a refused redirect, a network error or time-out, a status
    // outside 200...299, a body above 5 MiB, nothing compatible) leaves only that application
    // out. Links of the chosen release are resolved against the feed's address, and links that
    // are not web addresses are left out, so opening one can never start a local file or program.
    //
    // Blocks until every fetch has ended, running a local event loop on the calling thread (which
    // needs a QCoreApplication); call it from a worker thread. Once `stop` is requested (from any
    // thread) the fetches in flight are aborted, no further feed is started and the call returns
    // at once with no results: a stopped check reports nothing, not what it had read so far.
    QHash<QString, SparkleUpdateCheckResult> checkUpdates(const std::vector<InstalledAppRecord>& apps,
        bool includePrereleases, int maxConcurrency, std::stop_token stop = {}) const;

    // The same check over applications that arrive while it runs, started in the order they
    // arrive; it ends once `apps` is closed and every fetch has ended, or once `stop` is requested.
    QHash<QString, SparkleUpdateCheckResult> checkUpdates(
        SparkleFeedAppQueue& apps, bool includePrereleases, int maxConcurrency, std::stop_token stop = {}) const;

    // The request of every fetch of `feed`. Redirects are followed only where they do not lower
    // security (never from https to http) and only to http and https addresses.
    QNetworkRequest feedRequest(const QUrl& feed) const;
};
