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

constexpr std::uint16_t CtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

/// Skips the test unless the application runs on an X server.
#define QUORVANE_REQUIRE_X11()                                                                     \
    do {                                                                                           \
        if (QGuiApplication::platformName() != QLatin1String("xcb"))                               \
            GTEST_SKIP() << "needs an X server (DISPLAY)";                                         \
    } while (0)

class XClient {
public:
    XClient() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_setup_t* setup = xcb_get_setup(m_connection);
        m_root = xcb_setup_roots_iterator(setup).data->root;
        m_minKeycode = setup->min_keycode;
        auto* reply = xcb_get_keyboard_mapping_reply(
            m_connection,
            xcb_get_keyboard_mapping(m_connection, setup->min_keycode,
                                     setup->max_keycode - setup->min_keycode + 1),
            nullptr);
        if (reply) {
            m_perKeycode = reply->keysyms_per_keycode;
            const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
            m_keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
            std::free(reply);
        }
    }
    ~XClient() { xcb_disconnect(m_connection); }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool ok() const { return !xcb_connection_has_error(m_connection) && m_perKeycode > 0; }

    /// The first key whose unshifted keysym is `keysym`.
    xcb_keycode_t keycode(xcb_keysym_t keysym) const {
        for (std::size_t i = 0; m_perKeycode && i < m_keysyms.size() / m_perKeycode; ++i)
            if (m_keysyms[i * m_perKeycode] == keysym)
                return static_cast<xcb_keycode_t>(m_minKeycode + i);
        return 0;
    }

    /// Grabs the combination for this client; false when another client holds it.
    bool grab(std::uint16_t modifiers, xcb_keysym_t keysym) {
        const auto cookie =
            xcb_grab_key_checked(m_connection, 0, m_root, modifiers, keycode(keysym),
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            std::free(error);
            return false;
        }
        return true;
    }
    /// Releases the combination and waits until the server has done so,
    /// so that a grab by the program right after is not refused.
    void ungrab(std::uint16_t modifiers, xcb_keysym_t keysym) {
        xcb_ungrab_key(m_connection, keycode(keysym), m_root, modifiers);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
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
        const auto at = static_cast<std::size_t>(code - m_minKeycode) * m_perKeycode;
        return {m_keysyms.begin() + at, m_keysyms.begin() + at + m_perKeycode};
    }
    /// A key that produces nothing in the current map, or 0.
    xcb_keycode_t unusedKeycode() const {
        for (std::size_t i = m_keysyms.size() / m_perKeycode; i-- > 1;) {
            const auto code = static_cast<xcb_keycode_t>(m_minKeycode + i);
            const auto syms = keysymsOf(code);
            if (std::all_of(syms.begin(), syms.end(), [](xcb_keysym_t s) { return s == 0; }))
                return code;
        }
        return 0;
    }
    /// Changes the server's keyboard map for one key and waits until it is done.
    void setKeysyms(xcb_keycode_t code, const std::vector<xcb_keysym_t>& syms) {
        std::vector<xcb_keysym_t> row(syms);
        row.resize(m_perKeycode, 0);
        xcb_change_keyboard_mapping(m_connection, 1, code, static_cast<std::uint8_t>(m_perKeycode),
                                    row.data());
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        const auto at = static_cast<std::size_t>(code - m_minKeycode) * m_perKeycode;
        std::copy(row.begin(), row.end(), m_keysyms.begin() + at);
    }

    /// The modifier and lock state of the keyboard now.
    std::uint16_t state() {
        auto* reply =
            xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const std::uint16_t mask = reply ? reply->mask : 0;
        std::free(reply);
        return mask;
    }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_minKeycode = 0;
    int m_perKeycode = 0;
    std::vector<xcb_keysym_t> m_keysyms;
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
