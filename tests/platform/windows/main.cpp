// Test entry. With "--instance-probe <name>" the executable is the second
// process of the single-instance tests: it takes the lock and reports by its
// exit code whether it was the first.
#include "platform/instance.h"
#include "platform/windows/wintest.h"

#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--instance-probe") == 0)
        return platform::acquireInstanceLock(argv[2]).state ==
                       platform::InstanceLock::State::HeldElsewhere
                   ? wintest::ProbeAlreadyRunning
                   : wintest::ProbeFirstInstance;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
