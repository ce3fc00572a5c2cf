#include "listening.h"

#include <QHostAddress>
#include <QTcpServer>

bool listenOn(QTcpServer &server, const QHostAddress &address, quint16 port, QString &error)
{
    if (server.listen(address, port))
        return true;
    error = QStringLiteral("cannot listen on %1:%2: %3")
                .arg(address.toString())
                .arg(port)
                .arg(server.errorString());
    return false;
}
