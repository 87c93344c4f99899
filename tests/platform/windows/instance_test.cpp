// The single-instance lock, seen from second processes of this executable.
#include "platform/instance.h"
#include "platform/windows/wintest.h"

using namespace wintest;

namespace {

std::string uniqueName(const char* stem) {
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount());
}

int probe(const std::string& name) {
    return runSelf(L"--instance-probe " + wide(name));
}

using State = platform::InstanceLock::State;

TEST(InstanceLock, SecondProcessOfTheSameNameIsRefused) {
    const std::string name = uniqueName("QuorvaneLock");
    ASSERT_EQ(platform::acquireInstanceLock(name).state, State::Acquired);
    EXPECT_EQ(probe(name), ProbeAlreadyRunning);
    EXPECT_EQ(probe(name), ProbeAlreadyRunning); // the refused probe took nothing away
    EXPECT_EQ(probe(name + "-other"), ProbeFirstInstance);
}

TEST(InstanceLock, LockEndsWithTheProcessThatHeldIt) {
    const std::string name = uniqueName("QuorvaneGone");
    EXPECT_EQ(probe(name), ProbeFirstInstance);
    EXPECT_EQ(probe(name), ProbeFirstInstance); // the first probe has exited
    EXPECT_EQ(platform::acquireInstanceLock(name).state, State::Acquired);
}

TEST(InstanceLock, AFailedCreationCountsAsTheFirstInstance) {
    // A name in a namespace that does not exist cannot be created at all;
    // that is not "already running".
    const std::string name = "NoSuchNamespace\\" + uniqueName("Quorvane");
    EXPECT_EQ(platform::acquireInstanceLock(name).state, State::Acquired);
    EXPECT_EQ(platform::acquireInstanceLock(name).state, State::Acquired);
}

TEST(InstanceChannel, NamedAfterTheTitleTheUserAndTheSession) {
    EXPECT_EQ(platform::instanceName("Quorvane"), "Quorvane");
    wchar_t user[257] = {};
    DWORD length = ARRAYSIZE(user);
    ASSERT_TRUE(GetUserNameW(user, &length));
    DWORD session = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
    EXPECT_EQ(platform::instanceChannelName("Quorvane"),
              "Quorvane-" + utf8(user) + "-session" + std::to_string(session));
    EXPECT_EQ(platform::runtimeFolder(), "");
    // The pipe's access list admits this user only; the check itself passes.
    EXPECT_TRUE(platform::peerIsSameUser(0));
}

} // namespace
