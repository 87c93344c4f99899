#include "app/commandchannel.h"

#include "platform/instance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include <algorithm>

namespace {

const QByteArray Accepted = QByteArrayLiteral("ok\n");

} // namespace

CommandChannel::CommandChannel(QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &CommandChannel::onNewConnection);
}

CommandChannel::~CommandChannel() {
    // The sockets go with the server; their destruction must not reach back here.
    for (QLocalSocket* socket : m_server->findChildren<QLocalSocket*>())
        socket->disconnect(this);
}

bool CommandChannel::listen(const QString& name) {
    if (name.isEmpty())
        return false;
    m_server->close();
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

QString CommandChannel::fullServerName() const {
    return m_server->fullServerName();
}

void CommandChannel::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (!platform::peerIsSameUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_clients.size() >= static_cast<std::size_t>(MaxClients)) {
            const auto quietest = std::max_element(m_clients.begin(), m_clients.end(),
                                                   [](const Client& a, const Client& b) {
                                                       return a.quiet.elapsed() < b.quiet.elapsed();
                                                   });
            drop(quietest->socket);
        }
        Client client{socket, {}};
        client.quiet.start();
        m_clients.push_back(client);
        connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, this, [this, socket] {
            // A line that arrived with the deadline still counts.
            readFrom(socket);
            if (!socket->property("answered").toBool())
                drop(socket);
        });
        deadline->start(TimeoutMs);
        // Bytes that came with the connection.
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void CommandChannel::drop(QLocalSocket* socket) {
    forget(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void CommandChannel::forget(QLocalSocket* socket) {
    std::erase_if(m_clients, [socket](const Client& c) { return c.socket == socket; });
}

void CommandChannel::readFrom(QLocalSocket* socket) {
    // One message per connection: after the answer nothing more is read.
    if (socket->state() != QLocalSocket::ConnectedState || socket->property("answered").toBool())
        return;
    for (Client& c : m_clients)
        if (c.socket == socket)
            c.quiet.start();
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxLineLength)
            drop(socket);
        return;
    }
    QByteArray line = socket->readLine(MaxLineLength + 2);
    if (!line.endsWith('\n') || socket->bytesAvailable() > 0)
        return drop(socket);
    line.chop(1);
    const auto command = commandFromName(std::string_view(line.constData(), line.size()));
    if (!command)
        return drop(socket);
    // Answered: it no longer waits for a place.
    forget(socket);
    socket->setProperty("answered", true);
    socket->write(Accepted);
    socket->disconnectFromServer();
    emit commandReceived(*command);
}

bool sendCommand(const QString& name, RemoteCommand command, int timeoutMs) {
    if (name.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    const std::string_view text = commandName(command);
    QByteArray line(text.data(), static_cast<qsizetype>(text.size()));
    line += '\n';
    socket.write(line);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() <= Accepted.size()) {
        if (socket.bytesAvailable() == 0 &&
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        answer += socket.read(Accepted.size() + 1);
    }
    return answer == Accepted;
}
