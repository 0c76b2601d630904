#pragma once

#include <QByteArray>
#include <QtGlobal>

class QNetworkReply;

// The body of a network reply as it arrives, never more than `limit` bytes. A reply that declares
// or sends more is refused at once: the body is dropped and the transfer aborted. The reply's own
// read buffer is bounded too, so a fast stream (chunked or not) waits in the socket instead of
// piling up in the network thread's memory, and each read takes only what has arrived: a small
// reply costs memory in proportion to its size, not to the limit.
//
// The reader connects to the reply's signals; it must outlive them (keep it no longer than the
// reply and do not move it).
class TruneCappedReplyReader final {
public:
    // What the network thread may hold for a reply before the reader has taken it.
    static constexpr qint64 bytesInFlight = 256 * 1024;

    TruneCappedReplyReader(QNetworkReply& reply, qint64 limit);
    TruneCappedReplyReader(const TruneCappedReplyReader&) = delete;
    TruneCappedReplyReader& operator=(const TruneCappedReplyReader&) = delete;

    // Takes every byte that has arrived; the reply's readyRead does this by itself, so call it
    // once more when the reply has finished.
    void take();

    bool refused() const { return m_refused; }
    qint64 limit() const { return m_limit; }
    const QByteArray& body() const { return m_body; }

private:
    void refuse();

    QNetworkReply& m_reply;
    qint64 m_limit;
    QByteArray m_body;
    bool m_refused = false;
};
