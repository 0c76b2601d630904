#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QObject;

// A small HTTP/1.1 server on 127.0.0.1 (a free port) that answers each path with a canned
// response and records what it was asked. It runs on its own thread, so a test may block in a
// client call while the server answers. Connections are kept alive between requests unless the
// response ends by closing. Paths without a response get a 404. A request body is read by its
// Content-Length and recorded (up to requestBodyLimit; a longer one is answered with 413 and the
// connection closed). Every member is thread-safe.
class LoopbackHttpServer final {
public:
    enum class Framing {
        contentLength, // a Content-Length header (the true length unless declaredLength is set)
        chunked,       // Transfer-Encoding: chunked, one chunk per piece (plus declaredLength, if set)
        untilClose,    // no length at all: the body ends when the server closes the connection
    };

    struct Response {
        int status = 200;
        QList<std::pair<QByteArray, QByteArray>> headers; // written as given, after the status line
        QByteArray body;
        qint64 fillerBytes = 0; // spaces sent after `body`, produced only as fast as the client reads
        Framing framing = Framing::contentLength;
        std::optional<qint64> declaredLength; // a Content-Length that need not be the true length
        std::function<bool()> holdUntil;      // answer only once this holds (called on the server's thread)
        int delayMs = 0;                      // wait before the status line
        int stallMs = 0;                      // wait between the header and the body
        int pieceBytes = 65536;               // the body is written in pieces of this size
        int pieceIntervalMs = 0;              // wait between pieces: a slow trickle

        static Response ok(QByteArray body);
        static Response withStatus(int status, QByteArray body = {});
        static Response redirect(int status, const QByteArray& location);
    };

    struct Request {
        QByteArray method;
        QByteArray path;
        QList<std::pair<QByteArray, QByteArray>> headers; // as received
        QByteArray body;                                  // the request's own body, as received
        qint64 bodyBytesSent = 0;                         // of `body` + filler, framing not counted
        bool completed = false;                           // the whole response was handed to the socket
        bool clientHungUp = false;                        // the client closed the connection before that

        // The value of the first header with this name (any letter case); nullopt when absent.
        std::optional<QByteArray> header(QByteArrayView name) const;
    };

    static constexpr qint64 requestBodyLimit = 64 * 1024 * 1024;

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path
    QString url(const QString& path) const;

    void setResponse(const QString& path, Response response);

    // Every request so far, in arrival order.
    std::vector<Request> requests() const;
    // The requests for one path, in arrival order.
    std::vector<Request> requests(const QString& path) const;
    // The most connections that were open at one moment.
    int maxOpenConnections() const;
    // The most requests that had arrived and were not yet fully answered at one moment.
    int maxRequestsInFlight() const;
    // Waits until every request so far was either answered in full or dropped by its client (the
    // server sees a client hang up a little after the client does); false after the tests' one
    // deadline.
    bool waitUntilSettled() const;

private:
    class Connection;
    friend class Connection;

    std::optional<Response> responseFor(const QByteArray& path) const;
    qsizetype recordRequest(Request request);
    void recordProgress(qsizetype index, qint64 bodyBytesSent, bool completed);
    void recordHangUp(qsizetype index);
    void connectionOpened();
    void connectionClosed();

    mutable QMutex m_mutex;
    QHash<QByteArray, Response> m_responses;
    std::vector<Request> m_requests;
    int m_openConnections = 0;
    int m_maxOpenConnections = 0;
    int m_requestsInFlight = 0;
    int m_maxRequestsInFlight = 0;

    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread; parent of the listener and its sockets
    quint16 m_port = 0;
};
