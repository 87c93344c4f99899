// Helpers of the hotkey tests under an X server: a second X client (another
// program, as far as the server can tell) that tries the same key grabs,
// key presses sent with xdotool, and a QGuiApplication-based main.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace xtest {

constexpr std::uint16_t kCtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

/// Skips the test unless the application runs on an X server.
#define QUORVANE_REQUIRE_X11()                                                                     \
    do {                                                                                           \
        if (QGuiApplication::platformName() != QLatin1String("xcb"))                               \
            GTEST_SKIP() << "needs an X server (DISPLAY)";                                         \
    } while (0)

class XClient {
public:
    XClient() {
        connection_ = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection_))
            return;
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        root_ = xcb_setup_roots_iterator(setup).data->root;
        minKeycode_ = setup->min_keycode;
        auto* reply = xcb_get_keyboard_mapping_reply(
            connection_,
            xcb_get_keyboard_mapping(connection_, setup->min_keycode,
                                     setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        if (reply) {
            perKeycode_ = reply->keysyms_per_keycode;
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
            std::free(reply);
        }
    }
    ~XClient() { xcb_disconnect(connection_); }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool ok() const { return !xcb_connection_has_error(connection_) && perKeycode_ > 0; }

    /// The first key whose unshifted keysym is `keysym`.
    xcb_keycode_t keycode(xcb_keysym_t keysym) const {
        for (std::size_t i = 0; perKeycode_ && i < keysyms_.size() / perKeycode_; ++i)
            if (keysyms_[i * perKeycode_] == keysym)
                return static_cast<xcb_keycode_t>(minKeycode_ + i);
        return 0;
    }

    /// Grabs the combination for this client; false when another client holds it.
    bool grab(std::uint16_t modifiers, xcb_keysym_t keysym) {
        const auto cookie = xcb_grab_key_checked(connection_, 0, root_, modifiers, keycode(keysym),
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            std::free(error);
            return false;
        }
        return true;
    }
    /// Releases the combination and waits until the server has done so,
    /// so that a grab by the program right after is not refused.
    void ungrab(std::uint16_t modifiers, xcb_keysym_t keysym) {
        xcb_ungrab_key(connection_, keycode(keysym), root_, modifiers);
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    /// True when another client holds the combination (this one is refused).
    bool heldByOther(std::uint16_t modifiers, xcb_keysym_t keysym) {
        if (!grab(modifiers, keysym))
            return true;
        ungrab(modifiers, keysym);
        return false;
    }

    /// The keysyms of `code` (keysymsPerKeycode() of them).
    std::vector<xcb_keysym_t> keysymsOf(xcb_keycode_t code) const {
        const auto at = static_cast<std::size_t>(code - minKeycode_) * perKeycode_;
        return {keysyms_.begin() + at, keysyms_.begin() + at + perKeycode_};
    }
    /// A key that produces nothing in the current map, or 0.
    xcb_keycode_t unusedKeycode() const {
        for (std::size_t i = keysyms_.size() / perKeycode_; i-- > 1;) {
            const auto code = static_cast<xcb_keycode_t>(minKeycode_ + i);
            const auto syms = keysymsOf(code);
            if (std::all_of(syms.begin(), syms.end(), [](xcb_keysym_t s) { return s == 0; }))
                return code;
        }
        return 0;
    }
    /// Changes the server's keyboard map for one key and waits until it is done.
    void setKeysyms(xcb_keycode_t code, const std::vector<xcb_keysym_t>& syms) {
        std::vector<xcb_keysym_t> row(syms);
        row.resize(perKeycode_, 0);
        xcb_change_keyboard_mapping(connection_, 1, code, static_cast<std::uint8_t>(perKeycode_),
                                    row.data());
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        const auto at = static_cast<std::size_t>(code - minKeycode_) * perKeycode_;
        std::copy(row.begin(), row.end(), keysyms_.begin() + at);
    }

    /// The modifier and lock state of the keyboard now.
    std::uint16_t state() {
        auto* reply =
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
        const std::uint16_t mask = reply ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_keycode_t minKeycode_ = 0;
    int perKeycode_ = 0;
    std::vector<xcb_keysym_t> keysyms_;
};

/// Presses and releases keys with xdotool ("ctrl+alt+n", "Num_Lock").
inline bool pressKeys(const QString& keys) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    return xdotool.waitForFinished(10000) && xdotool.exitStatus() == QProcess::NormalExit &&
           xdotool.exitCode() == 0;
}

/// Lets the application's events through for `ms` milliseconds.
inline void processEvents(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace xtest
