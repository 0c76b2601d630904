#include "tests/support/LoopbackHttpServer.h"

#include "tests/support/TestWaits.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

// The socket's send buffer is kept below this, so a large or endless body is produced only as
// fast as the client reads it.
constexpr qint64 kSendBufferLimit = 256 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool sameName(QByteArrayView left, QByteArrayView right)
{
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

} // namespace

LoopbackHttpServer::Response LoopbackHttpServer::Response::ok(QByteArray body)
{
    Response response;
    response.body = std::move(body);
    return response;
}

LoopbackHttpServer::Response LoopbackHttpServer::Response::withStatus(int status, QByteArray body)
{
    Response response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

LoopbackHttpServer::Response LoopbackHttpServer::Response::redirect(int status, const QByteArray& location)
{
    Response response;
    response.status = status;
    response.headers.append({"Location", location});
    return response;
}

std::optional<QByteArray> LoopbackHttpServer::Request::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (sameName(key, name))
            return value;
    }
    return std::nullopt;
}

// One client connection on the server thread: reads requests one after another and answers
// each with its canned response, piece by piece.
class LoopbackHttpServer::Connection final : public QObject {
public:
    Connection(LoopbackHttpServer& server, QTcpSocket* socket, QObject* parent)
        : QObject(parent)
        , m_server(server)
        , m_socket(socket)
    {
        m_socket->setParent(this);
        m_server.connectionOpened();
        connect(m_socket, &QTcpSocket::readyRead, this, [this] { readRequests(); });
        connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
            if (m_sendingBody && m_response.pieceIntervalMs == 0)
                sendPieces();
        });
        connect(m_socket, &QTcpSocket::disconnected, this, [this] { closed(); });
    }

private:
    void readRequests()
    {
        m_input += m_socket->readAll();
        if (m_busy)
            return;
        if (!m_pending) {
            const qsizetype end = m_input.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            m_pending = parseRequest(m_input.left(end));
            m_input.remove(0, end + 4);
            m_pendingBodyLength = declaredBodyLength(*m_pending);
            if (m_pendingBodyLength > requestBodyLimit) {
                refuseTooLargeBody();
                return;
            }
        }
        if (m_input.size() < m_pendingBodyLength)
            return;
        m_pending->body = m_input.left(m_pendingBodyLength);
        m_input.remove(0, m_pendingBodyLength);
        Request request = std::move(*m_pending);
        m_pending.reset();
        startResponse(std::move(request));
    }

    static qint64 declaredBodyLength(const Request& request)
    {
        bool valid = false;
        const qint64 length = request.header("Content-Length").value_or(QByteArray("0")).toLongLong(&valid);
        return valid && length > 0 ? length : 0;
    }

    void refuseTooLargeBody()
    {
        m_pending.reset();
        m_input.clear();
        m_socket->write("HTTP/1.1 413 Content Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        m_socket->disconnectFromHost();
    }

    static Request parseRequest(const QByteArray& head)
    {
        Request request;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.path = requestLine.value(1);
        for (qsizetype index = 1; index < lines.size(); ++index) {
            const QByteArray& line = lines[index];
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        return request;
    }

    void startResponse(Request request)
    {
        m_busy = true;
        m_closeAfterResponse = sameName(request.header("Connection").value_or(QByteArray()), "close");
        m_response = m_server.responseFor(request.path).value_or(Response::withStatus(404));
        m_closeAfterResponse = m_closeAfterResponse || m_response.framing == Framing::untilClose;
        m_requestIndex = m_server.recordRequest(std::move(request));
        m_bodySent = 0;
        afterHoldAndDelay([this] {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                return;
            m_socket->write(responseHead());
            afterDelay(m_response.stallMs, [this] {
                m_sendingBody = true;
                sendPieces();
            });
        });
    }

    // Runs `action` once the response's hold condition holds (looking again every few
    // milliseconds meanwhile) and its delay has passed.
    void afterHoldAndDelay(std::function<void()> action)
    {
        const std::function<bool()>& released = m_response.holdUntil;
        if (!released || released()) {
            afterDelay(m_response.delayMs, std::move(action));
            return;
        }
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [this, poll, action = std::move(action)]() mutable {
            if (!m_response.holdUntil())
                return;
            poll->stop();
            poll->deleteLater();
            afterDelay(m_response.delayMs, std::move(action));
        });
        poll->start(2);
    }

    void afterDelay(int milliseconds, std::function<void()> action)
    {
        if (milliseconds <= 0)
            action();
        else
            QTimer::singleShot(milliseconds, this, std::move(action));
    }

    QByteArray responseHead() const
    {
        QByteArray head
            = "HTTP/1.1 " + QByteArray::number(m_response.status) + ' ' + reasonPhrase(m_response.status) + "\r\n";
        for (const auto& [name, value] : m_response.headers)
            head += name + ": " + value + "\r\n";
        switch (m_response.framing) {
        case Framing::contentLength:
            head += "Content-Length: " + QByteArray::number(m_response.declaredLength.value_or(bodySize())) + "\r\n";
            break;
        case Framing::chunked:
            head += "Transfer-Encoding: chunked\r\n";
            if (m_response.declaredLength)
                head += "Content-Length: " + QByteArray::number(*m_response.declaredLength) + "\r\n";
            break;
        case Framing::untilClose:
            break;
        }
        if (m_closeAfterResponse)
            head += "Connection: close\r\n";
        return head + "\r\n";
    }

    qint64 bodySize() const { return m_response.body.size() + m_response.fillerBytes; }

    QByteArray nextPiece() const
    {
        const qint64 size = std::min<qint64>(std::max(1, m_response.pieceBytes), bodySize() - m_bodySent);
        QByteArray piece = m_response.body.mid(m_bodySent, size);
        piece.append(size - piece.size(), ' ');
        return piece;
    }

    // Writes pieces until the body is sent, the send buffer is full, or one piece of a trickle.
    void sendPieces()
    {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
        while (m_bodySent < bodySize() && m_socket->bytesToWrite() < kSendBufferLimit) {
            const QByteArray piece = nextPiece();
            if (m_response.framing == Framing::chunked)
                m_socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
            else
                m_socket->write(piece);
            m_bodySent += piece.size();
            m_server.recordProgress(m_requestIndex, m_bodySent, false);
            if (m_response.pieceIntervalMs > 0 && m_bodySent < bodySize()) {
                QTimer::singleShot(m_response.pieceIntervalMs, this, [this] { sendPieces(); });
                return;
            }
        }
        if (m_bodySent == bodySize())
            finishResponse();
    }

    void finishResponse()
    {
        if (m_response.framing == Framing::chunked)
            m_socket->write("0\r\n\r\n");
        m_sendingBody = false;
        m_busy = false;
        m_server.recordProgress(m_requestIndex, m_bodySent, true);
        if (m_closeAfterResponse)
            m_socket->disconnectFromHost();
        else if (!m_input.isEmpty())
            readRequests();
    }

    void closed()
    {
        if (m_busy)
            m_server.recordHangUp(m_requestIndex);
        m_busy = false;
        m_sendingBody = false;
        m_server.connectionClosed();
        deleteLater();
    }

    LoopbackHttpServer& m_server;
    QTcpSocket* m_socket;
    QByteArray m_input;
    std::optional<Request> m_pending; // a request whose body is still arriving
    qint64 m_pendingBodyLength = 0;
    bool m_busy = false;
    bool m_sendingBody = false;
    bool m_closeAfterResponse = false;
    Response m_response;
    qsizetype m_requestIndex = -1;
    qint64 m_bodySent = 0;
};

LoopbackHttpServer::LoopbackHttpServer()
    : m_context(std::make_unique<QObject>())
{
    m_thread.setObjectName(QStringLiteral("LoopbackHttpServer"));
    m_context->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context.get(),
        [this] {
            auto* listener = new QTcpServer(m_context.get());
            QObject::connect(listener, &QTcpServer::newConnection, listener, [this, listener] {
                while (QTcpSocket* socket = listener->nextPendingConnection())
                    new Connection(*this, socket, m_context.get());
            });
            if (listener->listen(QHostAddress::LocalHost, 0))
                m_port = listener->serverPort();
        },
        Qt::BlockingQueuedConnection);
    if (m_port == 0)
        ADD_FAILURE() << "the loopback HTTP server could not listen on 127.0.0.1";
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    QMetaObject::invokeMethod(
        m_context.get(), [this] { qDeleteAll(m_context->findChildren<QObject*>(Qt::FindDirectChildrenOnly)); },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QString LoopbackHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void LoopbackHttpServer::setResponse(const QString& path, Response response)
{
    const QMutexLocker locker(&m_mutex);
    m_responses.insert(path.toUtf8(), std::move(response));
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const
{
    const QMutexLocker locker(&m_mutex);
    return m_requests;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests(const QString& path) const
{
    const QByteArray wanted = path.toUtf8();
    std::vector<Request> matching;
    for (Request& request : requests()) {
        if (request.path == wanted)
            matching.push_back(std::move(request));
    }
    return matching;
}

int LoopbackHttpServer::maxOpenConnections() const
{
    const QMutexLocker locker(&m_mutex);
    return m_maxOpenConnections;
}

int LoopbackHttpServer::maxRequestsInFlight() const
{
    const QMutexLocker locker(&m_mutex);
    return m_maxRequestsInFlight;
}

bool LoopbackHttpServer::waitUntilSettled() const
{
    QDeadlineTimer deadline(testDeadline());
    while (true) {
        {
            const QMutexLocker locker(&m_mutex);
            if (m_requestsInFlight == 0)
                return true;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
}

std::optional<LoopbackHttpServer::Response> LoopbackHttpServer::responseFor(const QByteArray& path) const
{
    const QMutexLocker locker(&m_mutex);
    const auto found = m_responses.constFind(path);
    if (found == m_responses.cend())
        return std::nullopt;
    return *found;
}

qsizetype LoopbackHttpServer::recordRequest(Request request)
{
    const QMutexLocker locker(&m_mutex);
    m_requests.push_back(std::move(request));
    m_maxRequestsInFlight = std::max(m_maxRequestsInFlight, ++m_requestsInFlight);
    return static_cast<qsizetype>(m_requests.size()) - 1;
}

void LoopbackHttpServer::recordProgress(qsizetype index, qint64 bodyBytesSent, bool completed)
{
    const QMutexLocker locker(&m_mutex);
    Request& request = m_requests[static_cast<std::size_t>(index)];
    request.bodyBytesSent = bodyBytesSent;
    if (completed && !request.completed) {
        request.completed = true;
        --m_requestsInFlight;
    }
}

void LoopbackHttpServer::recordHangUp(qsizetype index)
{
    const QMutexLocker locker(&m_mutex);
    m_requests[static_cast<std::size_t>(index)].clientHungUp = true;
    --m_requestsInFlight;
}

void LoopbackHttpServer::connectionOpened()
{
    const QMutexLocker locker(&m_mutex);
    m_maxOpenConnections = std::max(m_maxOpenConnections, ++m_openConnections);
}

void LoopbackHttpServer::connectionClosed()
{
    const QMutexLocker locker(&m_mutex);
    --m_openConnections;
}
