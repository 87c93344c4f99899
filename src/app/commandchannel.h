// The channel through which a later start hands its command to the running
// instance: a local socket private to the user in the 0700 runtime folder
// (platform/localsocket.h), one short message per connection.
#pragma once

#include "app/commandclient.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;

/// The running instance's end. Each connection may send one line, a command
/// name ("next\n"); it is answered "ok\n" and closed. An add sends the line
/// "add LENGTH\n" and then exactly LENGTH bytes (at most MaxAddBytes): the
/// paths, each ended by a zero byte. A peer of another
/// user, a line that is not a known command, a longer one, anything after
/// the line, or a client that has not sent its whole line within TimeoutMs
/// of connecting is cut off without an answer. At most MaxClients wait for
/// their line at once; a new connection beyond that takes the place of the
/// one that has been quiet longest, so clients that hold connections open
/// cannot lock others out. Reading is asynchronous: no client can hold up
/// the user-interface thread.
class CommandChannel : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxLineLength = 16;
    static constexpr int TimeoutMs = 1000;
    static constexpr int MaxClients = 8;
    static constexpr int MaxAddBytes = MaxAddMessageBytes;

    explicit CommandChannel(QObject* parent = nullptr);
    ~CommandChannel() override;

    /// Starts listening at `name` (platform::instanceChannelName). Call it
    /// only while holding the instance lock: what a dead instance left at
    /// that name is removed first. False when it cannot listen.
    bool listen(const QString& name);
    QString fullServerName() const;

signals:
    /// A well-formed command arrived.
    void commandReceived(RemoteCommand command);
    /// An add arrived with these paths (never empty).
    void addReceived(const std::vector<std::string>& paths);

private:
    /// A connection that has not been answered yet.
    struct Client {
        int socket = -1;
        QSocketNotifier* readable = nullptr; ///< child of the channel
        QTimer* deadline = nullptr;          ///< child of the channel: TimeoutMs from connecting
        QElapsedTimer quiet;                 ///< since its last bytes (or since it connected)
        QByteArray received;                 ///< what it sent that has not been taken yet
        qint64 payload = -1;                 ///< the length of the add's paths, once its line came
    };

    void onNewConnection();
    void readFrom(int socket);
    /// Takes the line, and an add's paths, from what the client sent so far.
    void take(Client& client);
    void answer(int socket);
    /// Ends the connection, cutting the client off without an answer unless
    /// answer() gave it one; its place is free at once.
    void forget(int socket);
    Client* clientOf(int socket);
    void stopListening();

    int m_listener = -1;
    QString m_name;
    QSocketNotifier* m_incoming = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
};
