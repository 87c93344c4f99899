// The single-instance lock and its runtime folder: one instance per display
// however the display is spelled, and no use of a folder or file that
// another user could have placed.
#include "platform/instance.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Spelling {
    const char* x11;
    const char* wayland;
    const char* key;
};

class DisplayKeys : public ::testing::TestWithParam<Spelling> {};

TEST_P(DisplayKeys, NameTheDisplayItself) {
    const platform::DisplayEnv env{GetParam().x11, GetParam().wayland, "/run/user/1000", "box"};
    EXPECT_EQ(platform::displayKey(env), GetParam().key)
        << GetParam().x11 << " / " << GetParam().wayland;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, DisplayKeys,
    ::testing::Values(
        Spelling{":77", "", "x11-77"}, Spelling{":77.0", "", "x11-77"},
        Spelling{":77.1", "", "x11-77"}, Spelling{"localhost:77", "", "x11-77"},
        Spelling{"localhost:77.0", "", "x11-77"}, Spelling{"unix:77", "", "x11-77"},
        Spelling{"127.0.0.1:77", "", "x11-77"}, Spelling{"box:77", "", "x11-77"},
        Spelling{"unix/:77", "", "x11-77"}, Spelling{":077", "", "x11-77"},
        Spelling{"/tmp/.X11-unix/X77:77", "", "x11-77"}, Spelling{"other:77", "", "x11-other-77"},
        Spelling{"tcp/other:77.0", "", "x11-other-77"}, Spelling{"[::1]:5", "", "x11-5"},
        Spelling{"fe80::1:5", "", "x11-fe80_3A_3A1-5"}, Spelling{"junk", "", "x11-junk"},
        Spelling{":x", "", "x11-_3Ax"}, Spelling{"", "", "none"},
        // Under Wayland the socket decides, whatever DISPLAY says.
        Spelling{":0", "wayland-0", "wayland-_2Frun_2Fuser_2F1000_2Fwayland-0"},
        Spelling{"", "/run/user/1000/wayland-0", "wayland-_2Frun_2Fuser_2F1000_2Fwayland-0"},
        Spelling{"", "wayland-1", "wayland-_2Frun_2Fuser_2F1000_2Fwayland-1"}));

// The temporary folder of the machine, read before any test points TMPDIR elsewhere.
const QString SystemTemp = QDir::tempPath();

// Each test gets private HOME, TMPDIR and no XDG_RUNTIME_DIR unless it sets one.
class InstanceLock : public ::testing::Test {
protected:
    using State = platform::InstanceLock::State;

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_savedTmp = qgetenv("TMPDIR");
        m_root = m_dir.path().toStdString();
        fs::create_directories(m_root + "/tmp");
        fs::create_directories(m_root + "/home");
        setenv("TMPDIR", (m_root + "/tmp").c_str(), 1);
        setenv("HOME", (m_root + "/home").c_str(), 1);
        unsetenv("XDG_CACHE_HOME");
        unsetenv("XDG_RUNTIME_DIR");
        unsetenv("WAYLAND_DISPLAY");
        setenv("DISPLAY", ":77", 1);
        m_uid = std::to_string(::geteuid());
        m_title = "QuorvaneTest" + std::to_string(++counter);
    }
    void TearDown() override {
        if (m_savedTmp.isNull())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_savedTmp.constData(), 1);
    }
    std::string tmpFolder() const { return m_root + "/tmp/quorvane-" + m_uid; }
    State lock() const { return platform::acquireInstanceLock(m_title).state; }

    QTemporaryDir m_dir{SystemTemp + QStringLiteral("/quorvane-instance-XXXXXX")};
    QByteArray m_savedTmp;
    std::string m_root;
    std::string m_uid;
    std::string m_title;
    static inline int counter = 0;
};

// The owner and permission bits of what `path` itself is (a link not followed).
std::pair<uid_t, unsigned> ownerAndMode(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {uid_t(-1), 0};
    return {st.st_uid, st.st_mode & 07777};
}

TEST_F(InstanceLock, ThreeSpellingsOfOneDisplayAreOneInstance) {
    ASSERT_EQ(lock(), State::Acquired);
    for (const char* display : {":77", ":77.0", "localhost:77"}) {
        setenv("DISPLAY", display, 1);
        EXPECT_EQ(lock(), State::HeldElsewhere) << display;
    }
    setenv("DISPLAY", ":78", 1);
    EXPECT_EQ(lock(), State::Acquired) << "another display";
    setenv("DISPLAY", "localhost:78.1", 1);
    EXPECT_EQ(lock(), State::HeldElsewhere);
}

TEST_F(InstanceLock, LockEndsWithTheProcess) {
    const pid_t child = fork();
    if (child == 0)
        _exit(lock() == State::Acquired ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(lock(), State::Acquired);
}

TEST_F(InstanceLock, FolderInTheTemporaryFolderIsMadePrivate) {
    EXPECT_EQ(platform::runtimeFolder(), tmpFolder());
    EXPECT_EQ(ownerAndMode(tmpFolder()), std::pair(::geteuid(), 0700u));
    ASSERT_EQ(lock(), State::Acquired);
    EXPECT_TRUE(fs::exists(tmpFolder() + "/" + m_title + "-x11-77.lock"));
    EXPECT_EQ(platform::instanceChannelName(m_title),
              tmpFolder() + "/" + m_title + "-x11-77.socket");
}

TEST_F(InstanceLock, PrivateRuntimeFolderIsUsed) {
    const std::string runtime = m_root + "/runtime";
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    EXPECT_EQ(platform::runtimeFolder(), runtime);
    // One open to others is not.
    fs::permissions(runtime, fs::perms::all);
    EXPECT_EQ(platform::runtimeFolder(), tmpFolder());
}

// What someone else could have put where the program looks in the
// temporary folder; then the cache folder is used, made with its missing
// parents when it does not exist yet.
enum class Hostile { Link, OpenToOthers, OtherUsers, OtherUsersOpen };

struct HostileCase {
    const char* name;
    Hostile tmp;
    /// XDG_CACHE_HOME below the home, not made yet; else unset (~/.cache).
    bool cacheHomeMissing;
};
void PrintTo(const HostileCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileFolder : public InstanceLock, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileFolder, IsLeftAloneAndTheLockTakesAPrivateCacheFolder) {
    const bool otherUser =
        GetParam().tmp == Hostile::OtherUsers || GetParam().tmp == Hostile::OtherUsersOpen;
    if (otherUser && ::geteuid() != 0)
        GTEST_SKIP() << "making a folder of another user needs root";
    const std::string elsewhere = m_root + "/elsewhere";
    fs::create_directory(elsewhere);
    fs::permissions(elsewhere, fs::perms::owner_all);
    if (GetParam().tmp == Hostile::Link) {
        fs::create_directory_symlink(elsewhere, tmpFolder());
    } else {
        fs::create_directory(tmpFolder());
        const bool open = GetParam().tmp != Hostile::OtherUsers;
        ::chmod(tmpFolder().c_str(), open ? 0777 : 0700);
        if (otherUser) {
            ASSERT_EQ(::chown(tmpFolder().c_str(), 65534, 65534), 0);
        }
    }
    std::string cache = m_root + "/home/.cache";
    std::vector<std::string> made = {cache};
    if (GetParam().cacheHomeMissing) {
        cache = m_root + "/home/not/yet/cache";
        made = {m_root + "/home/not", m_root + "/home/not/yet", cache};
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    }

    const std::string folder = platform::runtimeFolder();
    EXPECT_EQ(folder, cache + "/quorvane");
    made.push_back(cache + "/quorvane");
    for (const std::string& f : made)
        EXPECT_EQ(ownerAndMode(f), std::pair(::geteuid(), 0700u)) << f;
    // The lock works, in that folder.
    EXPECT_EQ(lock(), State::Acquired);
    EXPECT_EQ(lock(), State::HeldElsewhere);
    EXPECT_TRUE(fs::exists(folder + "/" + m_title + "-x11-77.lock"));
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "something was made through the link";
    if (GetParam().tmp != Hostile::Link) {
        EXPECT_TRUE(fs::is_empty(tmpFolder()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    , HostileFolder,
    ::testing::Values(HostileCase{"Link", Hostile::Link, false},
                      HostileCase{"OpenToOthers", Hostile::OpenToOthers, false},
                      HostileCase{"OtherUsers", Hostile::OtherUsers, false},
                      HostileCase{"LinkCacheNotYetMade", Hostile::Link, true},
                      HostileCase{"OpenCacheNotYetMade", Hostile::OpenToOthers, true},
                      HostileCase{"OtherUsersOpenCacheNotYetMade", Hostile::OtherUsersOpen, true}),
    [](const auto& info) { return std::string(info.param.name); });

// No private folder anywhere: the lock is refused with the reasons, never
// taken as "nobody else runs".
struct NowhereCase {
    const char* name;
    const char* cacheHome; ///< below the test's root; nullptr: unset
    bool home;             ///< HOME set
    const char* cacheReason;
};
void PrintTo(const NowhereCase& c, std::ostream* os) {
    *os << c.name;
}

class NoPrivateFolder : public InstanceLock, public ::testing::WithParamInterface<NowhereCase> {};

TEST_P(NoPrivateFolder, TheLockIsUnavailableAndSaysWhy) {
    fs::create_directory_symlink(m_root, tmpFolder());
    std::ofstream(m_root + "/file") << "not a folder";
    if (GetParam().cacheHome)
        setenv("XDG_CACHE_HOME", (m_root + GetParam().cacheHome).c_str(), 1);
    if (!GetParam().home)
        unsetenv("HOME");
    EXPECT_EQ(platform::runtimeFolder(), "");
    EXPECT_EQ(platform::instanceChannelName(m_title), "");
    const platform::InstanceLock result = platform::acquireInstanceLock(m_title);
    EXPECT_EQ(result.state, State::Unavailable);
    for (const std::string& part :
         {std::string("XDG_RUNTIME_DIR is not set"), tmpFolder() + " is not a private folder",
          std::string(GetParam().cacheReason)})
        EXPECT_NE(result.problem.find(part), std::string::npos) << result.problem;
    EXPECT_EQ(lock(), State::Unavailable) << "a second try";
}

INSTANTIATE_TEST_SUITE_P(
    , NoPrivateFolder,
    ::testing::Values(NowhereCase{"NoHome", nullptr, false, "neither XDG_CACHE_HOME nor HOME"},
                      NowhereCase{"CacheBelowAFile", "/file/cache", true,
                                  "/file/cache/quorvane cannot be created (Not a directory)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstanceLock, LinkAtTheLockFileIsNotFollowed) {
    const std::string folder = platform::runtimeFolder();
    ASSERT_EQ(folder, tmpFolder());
    const std::string target = m_root + "/victim";
    const std::string lockFile = folder + "/" + m_title + "-x11-77.lock";
    fs::create_symlink(target, lockFile);
    EXPECT_EQ(lock(), State::Acquired);
    EXPECT_FALSE(fs::exists(target)) << "the lock was opened through the link";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(lockFile)));
    EXPECT_EQ(lock(), State::HeldElsewhere);
}

TEST(PeerUser, SameUserAtTheOtherEnd) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_TRUE(platform::peerIsSameUser(pair[0]));
    close(pair[0]);
    close(pair[1]);
    EXPECT_FALSE(platform::peerIsSameUser(-1));
}

TEST(PeerUser, AnotherUserAtTheOtherEnd) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    // The credentials a socket carries are those of its creator; a child
    // running as another user makes one and hands it over.
    int channel[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, channel), 0);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        int inner[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, inner) != 0)
            _exit(3);
        // Send our end's descriptor over `channel`.
        char byte = 0;
        iovec io{&byte, 1};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        msghdr msg{};
        msg.msg_iov = &io;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &inner[1], sizeof(int));
        _exit(sendmsg(channel[1], &msg, 0) == 1 ? 0 : 4);
    }
    char byte = 0;
    iovec io{&byte, 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ASSERT_EQ(recvmsg(channel[0], &msg, 0), 1);
    int received = -1;
    std::memcpy(&received, CMSG_DATA(CMSG_FIRSTHDR(&msg)), sizeof(int));
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    // `received` is the child's second end: its peer was made by user 65534.
    EXPECT_FALSE(platform::peerIsSameUser(received));
    close(received);
    close(channel[0]);
    close(channel[1]);
    close(pair[0]);
    close(pair[1]);
}

} // namespace
