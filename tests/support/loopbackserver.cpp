#include "loopbackserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QThread>

LoopbackServer::LoopbackServer()
{
    server.listen(QHostAddress::LocalHost, 0);
}

bool LoopbackServer::acceptClient(int timeoutMs)
{
    if (!waitUntil([this] { return server.hasPendingConnections(); }, timeoutMs))
        return false;
    client = server.nextPendingConnection();
    return client != nullptr;
}

void LoopbackServer::send(const QByteArray &bytes)
{
    client->write(bytes);
    client->flush();
}

QByteArray LoopbackServer::receivedBytes()
{
    client->waitForReadyRead(10);
    return client->readAll();
}

void LoopbackServer::dropClient()
{
    client->disconnectFromHost();
    if (client->state() != QAbstractSocket::UnconnectedState)
        client->waitForDisconnected(1000);
}

quint16 closedLoopbackPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

void spinEvents(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}
