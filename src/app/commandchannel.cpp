#include "app/commandchannel.h"

#include "platform/instance.h"
#include "platform/localsocket.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

CommandChannel::CommandChannel(QObject* parent) : QObject(parent) {}

CommandChannel::~CommandChannel() {
    stopListening();
}

void CommandChannel::stopListening() {
    while (!m_clients.empty())
        forget(m_clients.back()->socket);
    delete m_incoming;
    m_incoming = nullptr;
    platform::closeLocalSocket(m_listener);
    m_listener = -1;
    m_name.clear();
}

bool CommandChannel::listen(const QString& name) {
    stopListening();
    if (name.isEmpty())
        return false;
    m_listener = platform::listenLocalSocket(name.toStdString());
    if (m_listener < 0)
        return false;
    m_name = name;
    m_incoming = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_incoming, &QSocketNotifier::activated, this, &CommandChannel::onNewConnection);
    return true;
}

QString CommandChannel::fullServerName() const {
    return m_name;
}

CommandChannel::Client* CommandChannel::clientOf(int socket) {
    for (const auto& c : m_clients)
        if (c->socket == socket)
            return c.get();
    return nullptr;
}

void CommandChannel::onNewConnection() {
    for (int socket; (socket = platform::acceptLocalSocket(m_listener)) >= 0;) {
        if (!platform::peerIsSameUser(socket)) {
            platform::closeLocalSocket(socket);
            continue;
        }
        if (m_clients.size() >= static_cast<std::size_t>(MaxClients)) {
            const auto quietest = std::max_element(
                m_clients.begin(), m_clients.end(), [](const auto& a, const auto& b) {
                    return a->quiet.elapsed() < b->quiet.elapsed();
                });
            forget((*quietest)->socket);
        }
        auto client = std::make_unique<Client>();
        client->socket = socket;
        client->quiet.start();
        client->readable = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(client->readable, &QSocketNotifier::activated, this,
                [this, socket] { readFrom(socket); });
        client->deadline = new QTimer(this);
        client->deadline->setSingleShot(true);
        connect(client->deadline, &QTimer::timeout, this, [this, socket] {
            // A message that arrived with the deadline still counts.
            readFrom(socket);
            if (clientOf(socket))
                forget(socket);
        });
        client->deadline->start(TimeoutMs);
        m_clients.push_back(std::move(client));
        // Bytes that came with the connection.
        readFrom(socket);
    }
}

void CommandChannel::forget(int socket) {
    const auto it = std::find_if(m_clients.begin(), m_clients.end(),
                                 [socket](const auto& c) { return c->socket == socket; });
    if (it == m_clients.end())
        return;
    const std::unique_ptr<Client> client = std::move(*it);
    m_clients.erase(it);
    // Called from their own signals: they go once control is back in the loop.
    client->readable->setEnabled(false);
    client->readable->deleteLater();
    client->deadline->stop();
    client->deadline->deleteLater();
    platform::closeLocalSocket(socket);
}

void CommandChannel::readFrom(int socket) {
    Client* client = clientOf(socket);
    if (!client)
        return;
    // What may still come: the line (and a little to see that it is too long),
    // or an add's paths and one byte more, to see that something follows them.
    char buffer[4096];
    for (;;) {
        const qint64 wanted = client->payload < 0 ? MaxLineLength + 2 - client->received.size()
                                                  : client->payload + 1 - client->received.size();
        if (wanted <= 0)
            break;
        const platform::LocalRead r = platform::readLocalSocket(
            socket, buffer, std::min<std::size_t>(sizeof buffer, std::size_t(wanted)));
        if (r.state == platform::ReadState::Nothing)
            break;
        if (r.state == platform::ReadState::Closed) {
            // What it sent before closing is still taken.
            take(*client);
            if (clientOf(socket))
                forget(socket);
            return;
        }
        client->quiet.start();
        client->received.append(buffer, static_cast<qsizetype>(r.count));
        take(*client);
        client = clientOf(socket);
        if (!client)
            return;
    }
}

void CommandChannel::take(Client& client) {
    const int socket = client.socket;
    if (client.payload < 0) {
        const qsizetype end = client.received.indexOf('\n');
        if (end < 0) {
            if (client.received.size() > MaxLineLength)
                forget(socket);
            return;
        }
        if (end > MaxLineLength)
            return forget(socket);
        const QByteArray line = client.received.left(end);
        client.received.remove(0, end + 1);
        if (line.startsWith("add ")) {
            const QByteArray digits = line.mid(4);
            bool ok = false;
            const qint64 length = digits.toLongLong(&ok);
            const bool plain = std::all_of(digits.begin(), digits.end(),
                                           [](char c) { return c >= '0' && c <= '9'; });
            if (!ok || !plain || length < 1 || length > MaxAddBytes)
                return forget(socket);
            client.payload = length;
        } else {
            if (!client.received.isEmpty())
                return forget(socket);
            const auto command = commandFromName(std::string_view(line.constData(), line.size()));
            // An add comes with its length.
            if (!command || *command == RemoteCommand::Add)
                return forget(socket);
            answer(socket);
            emit commandReceived(*command);
            return;
        }
    }
    const qint64 length = client.payload;
    if (client.received.size() < length)
        return;
    const QByteArray payload = client.received;
    if (payload.size() > length || !payload.endsWith('\0'))
        return forget(socket);
    std::vector<std::string> paths;
    for (const QByteArray& path : payload.chopped(1).split('\0')) {
        if (path.isEmpty())
            return forget(socket);
        paths.emplace_back(path.constData(), static_cast<std::size_t>(path.size()));
    }
    answer(socket);
    emit addReceived(paths);
}

void CommandChannel::answer(int socket) {
    // Three bytes fit in any socket's buffer; the connection ends with them.
    platform::writeLocalSocket(socket, CommandAccepted);
    forget(socket);
}
