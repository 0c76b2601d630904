#include "kit/platform/TruneCappedReplyReader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVariant>

#include <algorithm>

TruneCappedReplyReader::TruneCappedReplyReader(QNetworkReply& reply, qint64 limit)
    : m_reply(reply)
    , m_limit(limit)
{
    m_reply.setReadBufferSize(bytesInFlight);
    QObject::connect(&m_reply, &QNetworkReply::metaDataChanged, &m_reply, [this] {
        const QVariant length = m_reply.header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > m_limit)
            refuse();
    });
    QObject::connect(&m_reply, &QNetworkReply::readyRead, &m_reply, [this] { take(); });
}

void TruneCappedReplyReader::take()
{
    while (!m_refused && m_reply.bytesAvailable() > 0) {
        // At most one byte past the limit: enough to know the body is too long.
        const qint64 wanted = std::min(m_reply.bytesAvailable(), m_limit + 1 - m_body.size());
        m_body += m_reply.read(wanted);
        if (m_body.size() > m_limit)
            refuse();
    }
}

void TruneCappedReplyReader::refuse()
{
    m_refused = true;
    m_body = QByteArray();
    m_reply.abort();
}
