#include "tests/support/LoopbackHttpServer.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Reads from the socket until `count` complete responses with empty-or-short bodies arrived.
QByteArray readResponses(QTcpSocket& socket, int count)
{
    QByteArray received;
    while (received.count("HTTP/1.1 ") < count || !received.endsWith("second")) {
        if (!socket.waitForReadyRead(5000))
            break;
        received += socket.readAll();
    }
    return received;
}

} // namespace

TEST(LoopbackHttpServerTest, ReadsEachPostBodyByItsLengthOnAKeptAliveConnection)
{
    LoopbackHttpServer server;
    server.setResponse(u"/one"_s, LoopbackHttpServer::Response::ok("first"));
    server.setResponse(u"/two"_s, LoopbackHttpServer::Response::ok("second"));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    // The first body looks like a request of its own; it must be read as a body, not answered.
    const QByteArray trap = "GET /two HTTP/1.1\r\n\r\n";
    socket.write("POST /one HTTP/1.1\r\nContent-Length: " + QByteArray::number(trap.size()) + "\r\n\r\n" + trap);
    socket.write("POST /two HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc");
    const QByteArray received = readResponses(socket, 2);

    EXPECT_EQ(received.count("HTTP/1.1 200"), 2) << received.toStdString();
    const std::vector<LoopbackHttpServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/one");
    EXPECT_EQ(requests[0].body, trap);
    EXPECT_EQ(requests[1].path, "/two");
    EXPECT_EQ(requests[1].body, "abc");
    EXPECT_EQ(server.maxOpenConnections(), 1);
}
