// A stand-in for the shell's per-monitor wallpaper object, registered in the
// test process under the shell's class: Wine has no such object, so the
// calls that go through it are tested against this one there. It keeps what
// it is given and answers with it, as the shell does.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <windows.h>

namespace wintest {

struct StandInMonitor {
    std::wstring id;
    RECT rect;
    bool attached = true;
};

/// What the stand-in was told; read by the tests.
struct StandInState {
    std::vector<StandInMonitor> monitors;
    std::map<std::wstring, std::wstring> wallpapers;
    int position = -1;
    COLORREF background = CLR_INVALID;
};

/// Registers the stand-in for the lifetime of the object (COM set up on
/// this thread meanwhile); `state()` is what the stand-in keeps.
class ShellStandIn {
public:
    explicit ShellStandIn(std::vector<StandInMonitor> monitors);
    ~ShellStandIn();
    ShellStandIn(const ShellStandIn&) = delete;
    ShellStandIn& operator=(const ShellStandIn&) = delete;
    bool registered() const { return m_cookie != 0; }
    StandInState& state();

private:
    bool m_initialized = false;
    DWORD m_cookie = 0;
};

} // namespace wintest
