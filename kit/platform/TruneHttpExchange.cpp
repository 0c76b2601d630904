#include "kit/platform/TruneHttpExchange.h"

#include "kit/platform/TruneCappedReplyReader.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Error = TruneHttpExchangeError;

std::unexpected<Error> failure(Error::Case errorCase, QString detail = {}, qint64 limit = 0)
{
    return std::unexpected(Error{.errorCase = errorCase, .detail = std::move(detail), .limit = limit});
}

// RFC 9110 token characters: what a field name may be made of.
bool isTokenCharacter(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isSafeName(const QByteArray& name)
{
    return !name.isEmpty() && std::ranges::all_of(name, isTokenCharacter);
}

// A CR or LF would end the header early and let the rest pass as further headers or a body; a
// NUL cuts the value short in some stacks.
bool isSafeValue(const QByteArray& value)
{
    return !value.contains('\r') && !value.contains('\n') && !value.contains('\0');
}

std::expected<void, Error> checkHeaders(const QList<std::pair<QByteArray, QByteArray>>& headers)
{
    for (const auto& [name, value] : headers) {
        if (!isSafeName(name) || !isSafeValue(value))
            return failure(Error::Case::unsafeHeader, QString::fromLatin1(name.left(64)));
    }
    return {};
}

QNetworkRequest networkRequest(const TruneHttpRequest& request)
{
    QNetworkRequest networkRequest(request.url);
    for (const auto& [name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    networkRequest.setTransferTimeout(std::max(1, request.idleTimeoutMs));
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    networkRequest.setDecompressedSafetyCheckThreshold(request.maxReplyBytes);
    return networkRequest;
}

// Network and proxy failures (codes below 200) leave no usable reply; content, protocol and
// server errors (4xx, 5xx ...) still carry a status and a body.
bool isConnectionFailure(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

std::expected<TruneHttpReply, Error> outcome(QNetworkReply& reply, TruneCappedReplyReader& reader)
{
    if (reader.refused())
        return failure(Error::Case::replyTooLarge, {}, reader.limit());
    const QNetworkReply::NetworkError error = reply.error();
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError)
        return failure(Error::Case::timedOut);
    if (isConnectionFailure(error))
        return failure(Error::Case::transportFailure, reply.errorString());
    reader.take();
    if (reader.refused())
        return failure(Error::Case::replyTooLarge, {}, reader.limit());
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return failure(Error::Case::noHttpStatus);
    return TruneHttpReply{.status = status.toInt(), .body = reader.body()};
}

} // namespace

namespace TruneHttpExchange {

bool isLoopbackHost(const QString& host)
{
    if (host.compare("localhost"_L1, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

std::expected<void, Error> checkAddress(const QUrl& url, TruneCleartextPolicy policy)
{
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https"_L1 && scheme != "http"_L1))
        return failure(Error::Case::unsupportedAddress);
    if (scheme == "http"_L1 && policy == TruneCleartextPolicy::loopbackOnly && !isLoopbackHost(url.host()))
        return failure(Error::Case::cleartextToRemoteHost);
    return {};
}

std::expected<TruneHttpReply, Error> post(const TruneHttpRequest& request)
{
    if (auto checked = checkAddress(request.url, request.cleartext); !checked)
        return std::unexpected(checked.error());
    if (auto checked = checkHeaders(request.headers); !checked)
        return std::unexpected(checked.error());

    QEventLoop loop;
    // Declared after the loop, so its reply goes before the loop it reports to.
    QNetworkAccessManager network;
    network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(network.post(networkRequest(request), request.body));
    TruneCappedReplyReader reader(*reply, request.maxReplyBytes);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), &QNetworkReply::abort);
    deadline.start(std::max(1, request.deadlineMs));
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    return outcome(*reply, reader);
}

} // namespace TruneHttpExchange
