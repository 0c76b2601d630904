#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <expected>
#include <utility>

// Whether a request may travel as plain http. Secrets and user data go over https, or as plain
// http only to this computer.
enum class TruneCleartextPolicy {
    loopbackOnly,
    anyHost, // for requests that carry nothing private
};

struct TruneHttpRequest {
    QUrl url = {};
    QList<std::pair<QByteArray, QByteArray>> headers = {};
    QByteArray body = {};
    // The exchange gives up after this long without a byte moving in either direction.
    int idleTimeoutMs = 60'000;
    // And gives up after this long in all, however steadily the bytes move: a peer that drips
    // one byte now and then never ends an exchange by itself.
    int deadlineMs = 120'000;
    // A reply body longer than this is refused and the transfer stopped; no more than this (plus a
    // small buffer) is ever held, however fast the peer sends.
    qint64 maxReplyBytes = 1024 * 1024;
    TruneCleartextPolicy cleartext = TruneCleartextPolicy::loopbackOnly;
};

// The reply to a request, whatever its status: a redirect is a reply like any other.
struct TruneHttpReply {
    int status = 0;
    QByteArray body = {};
};

struct TruneHttpExchangeError {
    enum class Case {
        unsupportedAddress, // not an absolute http or https address with a host
        cleartextToRemoteHost,
        unsafeHeader, // a header name or value that would split or cut the header block
        timedOut,
        replyTooLarge,
        transportFailure, // the connection failed; `detail` holds the system's English text
        noHttpStatus,     // the peer answered something that is not an HTTP response
    };

    Case errorCase = Case::transportFailure;
    QString detail = {}; // transportFailure: the system's text; unsafeHeader: the header's name
    qint64 limit = 0;    // replyTooLarge: the most bytes the reply could have had

    bool operator==(const TruneHttpExchangeError&) const = default;
};

// One HTTP POST, answered or failed. The call blocks until the exchange ends, so it belongs on a
// worker thread: it runs its own network manager on the calling thread's event loop. Redirects
// are never followed, nothing is cached and cookies are not kept between calls.
namespace TruneHttpExchange {

std::expected<TruneHttpReply, TruneHttpExchangeError> post(const TruneHttpRequest& request);

// An absolute http(s) address with a host that the policy lets this request go to.
std::expected<void, TruneHttpExchangeError> checkAddress(const QUrl& url, TruneCleartextPolicy policy);

// 127.0.0.0/8, ::1 and "localhost".
bool isLoopbackHost(const QString& host);

} // namespace TruneHttpExchange
