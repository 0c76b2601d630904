#include "core/sparkle/SparkleUpdateChecker.h"

#include "core/sparkle/SparkleAppcastParser.h"
#include "kit/platform/TruneCappedReplyReader.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr char kUserAgent[] = "TruneUpdate/1.0 (macOS; Quorvane Sparkle Inspector)";
constexpr char kAcceptedTypes[] = "application/rss+xml, application/xml, text/xml;q=0.9, */*;q=0.1";
constexpr double kResourceAllowanceSeconds = 5;

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1StringView("https") || scheme == QLatin1StringView("http");
}

std::optional<QUrl> webFeedURL(const InstalledAppRecord& app)
{
    if (!app.sparkleFeedURL)
        return std::nullopt;
    const QUrl url(*app.sparkleFeedURL, QUrl::StrictMode);
    if (!url.isValid() || !isWebAddress(url))
        return std::nullopt;
    return url;
}

// At least 1 ms: a zero transfer time-out would mean none at all.
int milliseconds(double seconds)
{
    const double value = std::round(seconds * 1000);
    if (!(value >= 1))
        return 1;
    return value >= INT_MAX ? INT_MAX : static_cast<int>(value);
}

// A link of the feed, made absolute against the feed's address; nullopt for anything but a web
// address.
std::optional<QString> webLink(const std::optional<QString>& link, const QUrl& feed)
{
    if (!link)
        return std::nullopt;
    const QUrl url(*link);
    if (!url.isValid())
        return std::nullopt;
    if (!url.isRelative())
        return isWebAddress(url) ? link : std::nullopt;
    const QUrl resolved = feed.resolved(url);
    if (!isWebAddress(resolved))
        return std::nullopt;
    return resolved.toString(QUrl::FullyEncoded);
}

QNetworkRequest feedRequestWithTimeout(const QUrl& feed, int requestTimeoutMs)
{
    QNetworkRequest request(feed);
    request.setRawHeader("User-Agent", kUserAgent);
    request.setRawHeader("Accept", kAcceptedTypes);
    request.setTransferTimeout(requestTimeoutMs);
    // Qt refuses a redirect to any scheme but http and https under every policy.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    // Compressed feeds are decoded as they arrive and the limit counts decoded bytes; past it
    // the decoder also stops a body that inflates out of all proportion.
    request.setDecompressedSafetyCheckThreshold(SparkleAppcastParser::maxFeedBytes);
    return request;
}

struct Candidate {
    InstalledAppRecord app;
    QUrl feed;
};

// One call of checkUpdates: its own network manager on the calling thread's event loop, with at
// most `width` fetches in flight, started in the order the apps arrive. It ends once the queue is
// closed and every fetch has ended.
class FeedFetchRound final {
public:
    FeedFetchRound(SparkleFeedAppQueue& apps, double timeoutSeconds, bool includePrereleases, int width)
        : m_apps(apps)
        , m_requestTimeoutMs(milliseconds(timeoutSeconds))
        , m_resourceTimeoutMs(milliseconds(timeoutSeconds + kResourceAllowanceSeconds))
        , m_includePrereleases(includePrereleases)
        , m_width(width)
        , m_macOSVersion(SparkleAppcastParser::currentMacOSVersionString())
    {
    }

    QHash<QString, SparkleUpdateCheckResult> run(std::stop_token stop)
    {
        if (stop.stop_requested())
            return {};
        // Arrivals and the stop request may come from any thread; the round itself goes on on its
        // own thread.
        const std::stop_callback onStop(stop, [this] { onThisThread([this] { stopFetching(); }); });
        m_apps.setWake([this] { onThisThread([this] { takeArrivals(); }); });
        takeArrivals();
        if (!isDone())
            m_loop.exec();
        m_apps.setWake({});
        // A connection kept for reuse would go on reading whatever its peer still sends after
        // the check has ended.
        m_network.clearConnectionCache();
        if (m_stopped)
            return {};
        return std::move(m_results);
    }

private:
    void onThisThread(std::function<void()> work)
    {
        QMetaObject::invokeMethod(&m_loop, std::move(work), Qt::QueuedConnection);
    }

    void stopFetching()
    {
        m_stopped = true;
        for (QNetworkReply* reply : m_network.findChildren<QNetworkReply*>()) {
            if (reply->isRunning())
                reply->abort();
        }
        m_loop.quit();
    }

    void takeArrivals()
    {
        SparkleFeedAppQueue::Arrivals arrivals = m_apps.take();
        m_closed = arrivals.closed;
        for (InstalledAppRecord& app : arrivals.apps) {
            if (std::optional<QUrl> feed = webFeedURL(app))
                m_waiting.push_back({std::move(app), std::move(*feed)});
        }
        startWhileThereIsRoom();
        quitWhenDone();
    }

    bool isDone() const { return m_stopped || (m_closed && m_waiting.empty() && m_inFlight == 0); }

    void quitWhenDone()
    {
        if (isDone())
            m_loop.quit();
    }

    void startWhileThereIsRoom()
    {
        while (m_inFlight < m_width && !m_waiting.empty()) {
            start(std::move(m_waiting.front()));
            m_waiting.pop_front();
        }
    }

    void start(Candidate candidate)
    {
        ++m_inFlight;
        QNetworkReply* reply = m_network.get(feedRequestWithTimeout(candidate.feed, m_requestTimeoutMs));
        auto download = std::make_shared<TruneCappedReplyReader>(*reply, SparkleAppcastParser::maxFeedBytes);

        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
        deadline->start(m_resourceTimeoutMs);

        QObject::connect(
            reply, &QNetworkReply::finished, &m_loop, [this, reply, download, app = std::move(candidate.app)] {
                reply->deleteLater();
                if (m_stopped)
                    return;
                if (std::optional<SparkleUpdateCheckResult> result = resultOf(reply, *download, app))
                    m_results.insert(result->appID, std::move(*result));
                --m_inFlight;
                startWhileThereIsRoom();
                quitWhenDone();
            });
    }

    std::optional<SparkleUpdateCheckResult> resultOf(
        QNetworkReply* reply, TruneCappedReplyReader& download, const InstalledAppRecord& app) const
    {
        if (reply->error() == QNetworkReply::NoError)
            download.take();
        if (download.refused() || reply->error() != QNetworkReply::NoError)
            return std::nullopt;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
            return std::nullopt;
        std::optional<SparkleAppcastItem> item
            = SparkleAppcastParser::latestCompatibleItem(download.body(), m_macOSVersion, m_includePrereleases);
        if (!item)
            return std::nullopt;
        item->downloadURL = webLink(item->downloadURL, reply->url());
        item->releaseNotesURL = webLink(item->releaseNotesURL, reply->url());
        const bool newer = SparkleAppcastParser::isItemNewer(*item, app.installedVersion, app.buildVersion);
        return SparkleUpdateCheckResult{.appID = app.id(), .latestItem = std::move(*item), .updateAvailable = newer};
    }

    SparkleFeedAppQueue& m_apps;
    const int m_requestTimeoutMs;
    const int m_resourceTimeoutMs;
    const bool m_includePrereleases;
    const int m_width;
    const QString m_macOSVersion;
    std::deque<Candidate> m_waiting;
    bool m_closed = false;
    bool m_stopped = false;
    int m_inFlight = 0;
    QHash<QString, SparkleUpdateCheckResult> m_results;
    QEventLoop m_loop;
    // Ephemeral: no cache, and cookies only in memory for this round. Declared last, so it goes
    // first: its replies are gone before the loop they report to.
    QNetworkAccessManager m_network;
};

} // namespace

QHash<QString, SparkleUpdateCheckResult> SparkleUpdateChecker::checkUpdates(const std::vector<InstalledAppRecord>& apps,
    bool includePrereleases, int maxConcurrency, std::stop_token stop) const
{
    const auto hasWebFeed = [](const InstalledAppRecord& app) { return webFeedURL(app).has_value(); };
    if (std::ranges::none_of(apps, hasWebFeed))
        return {};
    SparkleFeedAppQueue queue;
    for (const InstalledAppRecord& app : apps) {
        if (hasWebFeed(app))
            queue.add(app);
    }
    queue.close();
    return checkUpdates(queue, includePrereleases, maxConcurrency, std::move(stop));
}

QHash<QString, SparkleUpdateCheckResult> SparkleUpdateChecker::checkUpdates(
    SparkleFeedAppQueue& apps, bool includePrereleases, int maxConcurrency, std::stop_token stop) const
{
    FeedFetchRound round(apps, timeoutSeconds, includePrereleases, std::max(1, maxConcurrency));
    return round.run(std::move(stop));
}

QNetworkRequest SparkleUpdateChecker::feedRequest(const QUrl& feed) const
{
    return feedRequestWithTimeout(feed, milliseconds(timeoutSeconds));
}
