// System-wide hotkeys on a real window: registration, refusal of a taken
// combination, and the WM_HOTKEY message handed to the event filter.
#include "platform/hotkeys.h"
#include "platform/windows/wintest.h"

using namespace wintest;

namespace {

class Window {
public:
    Window() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuorvaneHotkeyTest";
        RegisterClassW(&windowClass); // fails harmlessly for the second window
        handle_ = CreateWindowExW(0, L"QuorvaneHotkeyTest", L"Quorvane", WS_POPUP, 0, 0, 100, 100,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~Window() {
        if (handle_)
            DestroyWindow(handle_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND hwnd() const { return handle_; }
    void* native() const { return handle_; }

private:
    HWND handle_ = nullptr;
};

enum Slot { Random = 100, Next = 101, Previous = 102 };
constexpr unsigned CtrlAlt = platform::ModControl | platform::ModAlt;

class HotkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Under Wine a window needs a display (Xvfb in scripts/test-windows).
        ASSERT_NE(main_.hwnd(), nullptr) << "no window could be created";
        ASSERT_NE(other_.hwnd(), nullptr) << "no window could be created";
    }
    void TearDown() override {
        for (int id = 100; id <= 103; ++id) {
            platform::unregisterHotKey(main_.native(), id);
            platform::unregisterHotKey(other_.native(), id);
        }
    }
    Window main_;
    Window other_;
};

TEST_F(HotkeyTest, ModifierBitsAreTheSystemOnes) {
    EXPECT_EQ(platform::ModAlt, static_cast<unsigned>(MOD_ALT));
    EXPECT_EQ(platform::ModControl, static_cast<unsigned>(MOD_CONTROL));
    EXPECT_EQ(platform::ModShift, static_cast<unsigned>(MOD_SHIFT));
}

TEST_F(HotkeyTest, TakenCombinationIsRefusedUntilReleased) {
    EXPECT_TRUE(platform::registerHotKey(main_.native(), Random, CtrlAlt, 'R'));
    EXPECT_TRUE(platform::registerHotKey(main_.native(), Next, CtrlAlt, 'N'));
    EXPECT_TRUE(platform::registerHotKey(main_.native(), Previous, CtrlAlt, 'B'));

    // The same combination again, for another id or another window: refused.
    EXPECT_FALSE(platform::registerHotKey(main_.native(), 103, CtrlAlt, 'R'));
    EXPECT_FALSE(platform::registerHotKey(other_.native(), Random, CtrlAlt, 'N'));
    // Other modifiers make another combination.
    EXPECT_TRUE(platform::registerHotKey(other_.native(), Next, CtrlAlt | platform::ModShift, 'N'));

    platform::unregisterHotKey(main_.native(), Random);
    EXPECT_TRUE(platform::registerHotKey(main_.native(), 103, CtrlAlt, 'R'));
    // Unregistering what is not registered is harmless.
    platform::unregisterHotKey(main_.native(), Random);
    platform::unregisterHotKey(main_.native(), 999);
}

// The settings window tries a combination before taking it: the trial
// tells a taken one and keeps nothing.
TEST_F(HotkeyTest, CheckTellsATakenCombinationAndKeepsNothing) {
    EXPECT_EQ(platform::checkHotKey(CtrlAlt, 'N'), platform::HotkeyCheck::Free);
    EXPECT_TRUE(platform::registerHotKey(other_.native(), Next, CtrlAlt, 'N'))
        << "the trial kept the combination";
    EXPECT_EQ(platform::checkHotKey(CtrlAlt, 'N'), platform::HotkeyCheck::Taken);
    EXPECT_EQ(platform::checkHotKey(CtrlAlt | platform::ModShift, 'N'),
              platform::HotkeyCheck::Free);
    EXPECT_TRUE(platform::hotkeysReleasable());
    EXPECT_FALSE(platform::systemKeepsKey('N'));
}

TEST(HotkeyEvent, OnlyHotkeyMessagesFromTheWindowProcedureCount) {
    MSG msg{};
    msg.message = WM_HOTKEY;
    msg.wParam = 102;
    int id = -1;
    EXPECT_TRUE(platform::hotkeyFromNativeEvent("windows_generic_MSG", &msg, id));
    EXPECT_EQ(id, 102);

    id = -1;
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("windows_dispatcher_MSG", &msg, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("xcb_generic_event_t", &msg, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent(nullptr, &msg, id));
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("windows_generic_MSG", nullptr, id));
    msg.message = WM_KEYDOWN;
    EXPECT_FALSE(platform::hotkeyFromNativeEvent("windows_generic_MSG", &msg, id));
    EXPECT_EQ(id, -1);
}

INPUT key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Waits for a message of `type` for `window`, dispatching the others.
bool waitForMessage(HWND window, UINT type, MSG& found) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 3000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == window && msg.message == type) {
                found = msg;
                return true;
            }
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

TEST_F(HotkeyTest, PressedCombinationPostsItsIdToTheWindow) {
    ASSERT_TRUE(platform::registerHotKey(main_.native(), Next, CtrlAlt, 'N'));
    ASSERT_TRUE(platform::registerHotKey(main_.native(), Previous,
                                         platform::ModShift | platform::ModControl, VK_F9));
    INPUT press[] = {key(VK_CONTROL, false), key(VK_MENU, false), key('N', false),
                     key('N', true),         key(VK_MENU, true),  key(VK_SHIFT, false),
                     key(VK_F9, false),      key(VK_F9, true),    key(VK_SHIFT, true),
                     key(VK_CONTROL, true)};
    ASSERT_EQ(SendInput(ARRAYSIZE(press), press, sizeof(INPUT)), ARRAYSIZE(press));

    for (int expected : {Next, Previous}) {
        MSG msg{};
        ASSERT_TRUE(waitForMessage(main_.hwnd(), WM_HOTKEY, msg)) << "no WM_HOTKEY " << expected;
        int id = -1;
        EXPECT_TRUE(platform::hotkeyFromNativeEvent("windows_generic_MSG", &msg, id));
        EXPECT_EQ(id, expected);
    }
}

// What the settings window's apply does: all three ids unregistered (one
// of them never registered), then the edited slots registered again on the
// same window, among them a bare key; the description is for other systems.
TEST_F(HotkeyTest, ApplyCycleRegistersTheSameAndBareCombinationsAgain) {
    ASSERT_TRUE(platform::registerHotKey(main_.native(), Random, CtrlAlt, 'R', "Random wallpaper"));
    ASSERT_TRUE(platform::registerHotKey(main_.native(), Next, 0, VK_F9, "Next wallpaper"));
    for (int id : {Random, Next, Previous})
        platform::unregisterHotKey(main_.native(), id);
    // Released: another window may take them now, then gives them back.
    EXPECT_TRUE(platform::registerHotKey(other_.native(), Random, CtrlAlt, 'R'));
    platform::unregisterHotKey(other_.native(), Random);

    EXPECT_TRUE(platform::registerHotKey(main_.native(), Random, CtrlAlt, 'R', "Random wallpaper"));
    EXPECT_TRUE(platform::registerHotKey(main_.native(), Next, 0, VK_F9, nullptr));
    INPUT press[] = {key(VK_F9, false), key(VK_F9, true)};
    ASSERT_EQ(SendInput(ARRAYSIZE(press), press, sizeof(INPUT)), ARRAYSIZE(press));
    MSG msg{};
    ASSERT_TRUE(waitForMessage(main_.hwnd(), WM_HOTKEY, msg)) << "no WM_HOTKEY for the bare key";
    int id = -1;
    EXPECT_TRUE(platform::hotkeyFromNativeEvent("windows_generic_MSG", &msg, id));
    EXPECT_EQ(id, Next);
}

} // namespace
