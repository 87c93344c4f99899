// The command channel between a later start and the running instance: real
// local sockets in a private folder, clients in threads of their own (or a
// child process) while the server's thread keeps its event loop running.
#include "app/commandchannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <poll.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs the event loop until `f` is ready.
template <typename T> T await(std::future<T>& f, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (f.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
           !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return f.get();
}

void spin(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// What the server answers to `bytes` before it closes the connection, with
// "<closed>" or "<open>" (still open after `waitMs`) at the end.
std::string exchange(int fd, const std::string& bytes, int waitMs = 4000) {
    if (fd < 0)
        return "<no connection>";
    if (!bytes.empty() && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return "<closed>";
    }
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
            answer += "<open>";
            break;
        }
        char buffer[64];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            answer += "<closed>";
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

class Channel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("Quorvane-x11-0.socket"));
        ASSERT_TRUE(m_channel.listen(m_path));
    }
    std::string send(const std::string& bytes, int waitMs = 4000) {
        const std::string p = m_path.toStdString();
        auto f = std::async(std::launch::async,
                            [p, bytes, waitMs] { return exchange(connectTo(p), bytes, waitMs); });
        return await(f);
    }
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/quorvane-channel-XXXXXX")};
    QString m_path;
    CommandChannel m_channel;
};

TEST_F(Channel, EachCommandIsDeliveredAndConfirmed) {
    QSignalSpy spy(&m_channel, &CommandChannel::commandReceived);
    for (RemoteCommand c : {RemoteCommand::Next, RemoteCommand::Previous, RemoteCommand::Random,
                            RemoteCommand::Show}) {
        auto sent = std::async(std::launch::async,
                               [this, c] { return sendCommand(m_path.toStdString(), c); });
        EXPECT_TRUE(await(sent)) << commandName(c);
        ASSERT_FALSE(spy.isEmpty());
        EXPECT_EQ(spy.takeFirst().at(0).value<RemoteCommand>(), c);
    }
    EXPECT_EQ(send("next\n"), "ok\n<closed>");
    EXPECT_EQ(send("random\r\n"), "<closed>") << "the line is exactly the name";
}

TEST_F(Channel, AnAddIsDeliveredWithItsPathsAndConfirmed) {
    QSignalSpy spy(&m_channel, &CommandChannel::addReceived);
    const std::vector<std::string> paths{"/home/u/Pictures", "/tmp/a b.jpg", "/x/\xc3\xa9\xff.png"};
    auto sent = std::async(std::launch::async,
                           [this, paths] { return sendAdd(m_path.toStdString(), paths); });
    EXPECT_TRUE(await(sent));
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).value<std::vector<std::string>>(), paths);
    EXPECT_EQ(send(std::string("add 4\n/ab\0", 10)), "ok\n<closed>");
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).value<std::vector<std::string>>(),
              std::vector<std::string>{"/ab"});
}

TEST_F(Channel, ALongAddGoesInSeveralMessages) {
    QSignalSpy spy(&m_channel, &CommandChannel::addReceived);
    std::vector<std::string> paths;
    for (int i = 0; i < 3000; ++i)
        paths.push_back("/pictures/" + std::string(400, 'p') + std::to_string(i) + ".jpg");
    auto sent = std::async(std::launch::async,
                           [this, paths] { return sendAdd(m_path.toStdString(), paths); });
    EXPECT_TRUE(await(sent));
    std::vector<std::string> received;
    for (const QList<QVariant>& call : spy) {
        const auto part = call.at(0).value<std::vector<std::string>>();
        received.insert(received.end(), part.begin(), part.end());
    }
    EXPECT_GT(spy.size(), 1);
    EXPECT_EQ(received, paths);
}

struct Bad {
    const char* name;
    std::string bytes;
};

class ChannelRefuses : public Channel, public ::testing::WithParamInterface<Bad> {};

TEST_P(ChannelRefuses, ClosesWithoutAnswerOrCommand) {
    QSignalSpy spy(&m_channel, &CommandChannel::commandReceived);
    QSignalSpy adds(&m_channel, &CommandChannel::addReceived);
    EXPECT_EQ(send(GetParam().bytes), "<closed>");
    spin(50);
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_TRUE(adds.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ChannelRefuses,
    ::testing::Values(
        Bad{"unknown", "bogus\n"}, Bad{"upper", "NEXT\n"}, Bad{"option", "--next\n"},
        Bad{"empty", "\n"}, Bad{"spaces", " next\n"}, Bad{"nul", std::string("next\0\n", 6)},
        Bad{"two", "next\nprev\n"}, Bad{"trailing", "next\nx"},
        Bad{"longLine", std::string(40, 'a') + "\n"}, Bad{"longNoEnd", std::string(100000, 'n')},
        Bad{"binary", std::string("\xff\xfe\x00\x01\n", 5)}, Bad{"addBare", "add\n"},
        Bad{"addNoLength", "add \n"}, Bad{"addZero", "add 0\n"}, Bad{"addSign", "add +3\n"},
        Bad{"addTooLong", "add 1048577\n"}, Bad{"addShort", std::string("add 9\n/ab\0", 10)},
        Bad{"addExtra", std::string("add 4\n/ab\0x", 11)}, Bad{"addNoEnd", "add 3\n/ab"},
        Bad{"addEmptyPath", std::string("add 5\n/a\0\0\0", 11)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Channel, SilentClientIsCutOffAndDoesNotHoldUpOthers) {
    QSignalSpy spy(&m_channel, &CommandChannel::commandReceived);
    const std::string p = m_path.toStdString();
    const auto started = std::chrono::steady_clock::now();
    auto slow = std::async(std::launch::async, [p] { return exchange(connectTo(p), "ne", 6000); });
    spin(200);
    // Served while the slow one is still connected.
    auto quick = std::async(std::launch::async, [this] {
        return sendCommand(m_path.toStdString(), RemoteCommand::Random);
    });
    EXPECT_TRUE(await(quick));
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(await(slow), "<closed>");
    const auto took = std::chrono::steady_clock::now() - started;
    // Qt's coarse timers may fire up to 5% early.
    EXPECT_GE(took, std::chrono::milliseconds(CommandChannel::TimeoutMs * 9 / 10));
    EXPECT_LT(took, std::chrono::milliseconds(CommandChannel::TimeoutMs + 3000));
    EXPECT_EQ(spy.size(), 1);
}

// True when the server has closed `fd` (or it is not connected at all).
bool closedByServer(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0)
        return false;
    char byte;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0 || (p.revents & (POLLHUP | POLLERR));
}

TEST_F(Channel, ANewConnectionTakesThePlaceOfTheQuietestWhenAllAreTaken) {
    std::vector<int> held;
    for (int i = 0; i < CommandChannel::MaxClients; ++i) {
        held.push_back(connectTo(m_path.toStdString()));
        spin(30);
    }
    // The newest held one has just been heard from.
    ASSERT_EQ(::send(held.back(), "n", 1, MSG_NOSIGNAL), 1);
    spin(100);
    for (int fd : held)
        ASSERT_FALSE(closedByServer(fd));
    EXPECT_EQ(send("next\n"), "ok\n<closed>");
    spin(50);
    EXPECT_TRUE(closedByServer(held.front())) << "the quietest was not the one to go";
    for (std::size_t i = 1; i < held.size(); ++i)
        EXPECT_FALSE(closedByServer(held[i])) << "connection " << i;
    for (int fd : held)
        ::close(fd);
}

// Clients of this user that hold every place, silent or sending a byte now
// and then, and connect again whenever they are cut off: commands from a
// later start still get through.
struct Holders {
    const char* name;
    int byteEveryMs; ///< 0: silent
};

void PrintTo(const Holders& h, std::ostream* os) {
    *os << h.name;
}

class ChannelHeld : public Channel, public ::testing::WithParamInterface<Holders> {};

TEST_P(ChannelHeld, CommandsStillGetThrough) {
    QSignalSpy spy(&m_channel, &CommandChannel::commandReceived);
    std::atomic<bool> stop{false};
    std::atomic<int> connections{0};
    std::vector<std::thread> holders;
    const std::string p = m_path.toStdString();
    const int every = GetParam().byteEveryMs;
    for (int i = 0; i < CommandChannel::MaxClients; ++i)
        holders.emplace_back([&, p, every] {
            const std::string line = "next\n";
            while (!stop) {
                const int fd = connectTo(p);
                if (fd < 0)
                    break;
                ++connections;
                for (std::size_t sent = 0; !stop && !closedByServer(fd);) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(every ? every : 20));
                    if (every && sent < line.size() &&
                        ::send(fd, &line[sent++], 1, MSG_NOSIGNAL) != 1)
                        break;
                }
                ::close(fd);
            }
        });
    QDeadlineTimer ready(5000);
    while (connections < CommandChannel::MaxClients && !ready.hasExpired())
        spin(20);
    spin(100);

    for (RemoteCommand c : {RemoteCommand::Next, RemoteCommand::Previous, RemoteCommand::Show}) {
        auto sent = std::async(std::launch::async,
                               [this, c] { return sendCommand(m_path.toStdString(), c); });
        EXPECT_TRUE(await(sent)) << commandName(c);
    }
    stop = true;
    for (std::thread& t : holders)
        t.join();
    // Only the three commands: no holder finished a line within its time.
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy.at(2).at(0).value<RemoteCommand>(), RemoteCommand::Show);
}

INSTANTIATE_TEST_SUITE_P(Clients, ChannelHeld,
                         ::testing::Values(Holders{"silent", 0},
                                           // A line would take twice the time allowed.
                                           Holders{"byteAtATime",
                                                   CommandChannel::TimeoutMs * 2 / 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Channel, ConnectionOfAnotherUserIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    QSignalSpy spy(&m_channel, &CommandChannel::commandReceived);
    const std::string p = m_path.toStdString();
    int result[2];
    ASSERT_EQ(::pipe(result), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Another user, who still gets through the folder's permissions
        // (file access goes by the file-system user): only the peer check
        // can stop it.
        if (::seteuid(65534) != 0)
            _exit(2);
        ::setfsuid(0);
        const std::string answer = exchange(connectTo(p), "next\n", 4000);
        (void)!::write(result[1], answer.data(), answer.size());
        _exit(0);
    }
    ::close(result[1]);
    auto reaped = std::async(std::launch::async, [child] {
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    });
    EXPECT_EQ(WEXITSTATUS(await(reaped)), 0);
    char buffer[64] = {};
    const ssize_t n = ::read(result[0], buffer, sizeof buffer - 1);
    ::close(result[0]);
    EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), "<closed>");
    spin(50);
    EXPECT_TRUE(spy.isEmpty());
    // The same command from this user goes through.
    EXPECT_EQ(send("next\n"), "ok\n<closed>");
}

TEST_F(Channel, LeftOverSocketOfADeadInstanceIsReplaced) {
    CommandChannel second;
    // The first channel's socket file is still there: the new owner of the
    // lock takes the name over.
    ASSERT_TRUE(second.listen(m_path));
    QSignalSpy spy(&second, &CommandChannel::commandReceived);
    auto sent = std::async(std::launch::async, [this] {
        return sendCommand(m_path.toStdString(), RemoteCommand::Show);
    });
    EXPECT_TRUE(await(sent));
    EXPECT_EQ(spy.size(), 1);
}

TEST(ChannelClient, NoInstanceMeansNotDelivered) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quorvane-channel-XXXXXX"));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(sendCommand(dir.filePath(QStringLiteral("none.socket")).toStdString(),
                             RemoteCommand::Next));
    EXPECT_FALSE(sendCommand(std::string(), RemoteCommand::Next));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    CommandChannel channel;
    EXPECT_FALSE(channel.listen(QString()));
}

} // namespace
