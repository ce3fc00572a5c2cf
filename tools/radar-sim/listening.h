#pragma once

#include <QString>

class QHostAddress;
class QTcpServer;

// Starts server listening; on failure error says where and why.
bool listenOn(QTcpServer &server, const QHostAddress &address, quint16 port, QString &error);
