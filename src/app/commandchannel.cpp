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
    Client* client = nullptr;
    for (Client& c : m_clients)
        if (c.socket == socket)
            client = &c;
    if (!client)
        return;
    client->quiet.start();
    if (client->payload < 0) {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > MaxLineLength)
                drop(socket);
            return;
        }
        QByteArray line = socket->readLine(MaxLineLength + 2);
        if (!line.endsWith('\n'))
            return drop(socket);
        line.chop(1);
        if (line.startsWith("add ")) {
            const QByteArray digits = line.mid(4);
            bool ok = false;
            const qint64 length = digits.toLongLong(&ok);
            const bool plain = std::all_of(digits.begin(), digits.end(),
                                           [](char c) { return c >= '0' && c <= '9'; });
            if (!ok || !plain || length < 1 || length > MaxAddBytes)
                return drop(socket);
            client->payload = length;
        } else {
            if (socket->bytesAvailable() > 0)
                return drop(socket);
            const auto command = commandFromName(std::string_view(line.constData(), line.size()));
            // An add comes with its length.
            if (!command || *command == RemoteCommand::Add)
                return drop(socket);
            answer(socket);
            emit commandReceived(*command);
            return;
        }
    }
    const qint64 length = client->payload;
    if (socket->bytesAvailable() < length)
        return;
    const QByteArray payload = socket->read(length);
    if (socket->bytesAvailable() > 0 || !payload.endsWith('\0'))
        return drop(socket);
    std::vector<std::string> paths;
    for (const QByteArray& path : payload.chopped(1).split('\0')) {
        if (path.isEmpty())
            return drop(socket);
        paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
    }
    answer(socket);
    emit addReceived(paths);
}

void CommandChannel::answer(QLocalSocket* socket) {
    // Answered: it no longer waits for a place.
    forget(socket);
    socket->setProperty("answered", true);
    socket->write(Accepted);
    socket->disconnectFromServer();
}

namespace {

// Sends one message and waits for its answer.
bool sendMessage(const QString& name, const QByteArray& message, const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0)
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

QByteArray addMessage(const QByteArray& payload) {
    return QByteArrayLiteral("add ") + QByteArray::number(payload.size()) + '\n' + payload;
}

} // namespace

bool sendCommand(const QString& name, RemoteCommand command, int timeoutMs) {
    if (name.isEmpty() || command == RemoteCommand::Add)
        return false;
    const std::string_view text = commandName(command);
    QByteArray line(text.data(), static_cast<qsizetype>(text.size()));
    line += '\n';
    return sendMessage(name, line, QDeadlineTimer(timeoutMs));
}

bool sendAdd(const QString& name, const std::vector<std::string>& paths, int timeoutMs) {
    if (name.isEmpty() || paths.empty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QByteArray payload;
    for (const std::string& p : paths) {
        // A path cannot hold a zero byte; an empty one names nothing.
        if (p.empty() || p.find('\0') != std::string::npos ||
            p.size() + 1 > static_cast<std::size_t>(CommandChannel::MaxAddBytes))
            continue;
        if (payload.size() + static_cast<qsizetype>(p.size()) + 1 > CommandChannel::MaxAddBytes) {
            if (!sendMessage(name, addMessage(payload), deadline))
                return false;
            payload.clear();
        }
        payload.append(p.data(), static_cast<qsizetype>(p.size()));
        payload.append('\0');
    }
    return payload.isEmpty() || sendMessage(name, addMessage(payload), deadline);
}
