#include "platform/linux/hotkeys_x11.h"

#include "platform/hotkeys.h"
#include "platform/linux/keysyms.h"

#include <QGuiApplication>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::x11_hotkeys {

namespace {

constexpr std::uint32_t NumLockKeysym = 0xff7f;
constexpr std::uint32_t AltLKeysym = 0xffe9;
constexpr std::uint32_t AltRKeysym = 0xffea;
// The XKB event codes that announce a changed keyboard map.
constexpr std::uint8_t XkbNewKeyboardNotify = 0;
constexpr std::uint8_t XkbMapNotify = 1;

struct Registration {
    int id = 0;
    unsigned modifiers = 0; // HotkeyModifier bits
    std::uint16_t vk = 0;
    std::uint16_t xModifiers = 0;
    std::vector<xcb_keycode_t> keycodes; // grabbed keys; empty while inactive
};

// The keyboard map as the server last reported it.
struct KeyMap {
    bool loaded = false;
    xcb_keycode_t minKeycode = 0;
    int perKeycode = 0;
    std::vector<xcb_keysym_t> keysyms;
    std::uint16_t numLockMask = 0;
    std::uint16_t altMask = XCB_MOD_MASK_1;
};

struct X11State {
    std::vector<Registration> registrations;
    KeyMap map;
    int xkbFirstEvent = -1; // -1: not looked up; -2: no XKB
};

X11State& state() {
    static X11State s;
    return s;
}

xcb_connection_t* connection() {
    // qGuiApp would be a wrong cast under a plain QCoreApplication.
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::vector<xcb_window_t> rootWindows(xcb_connection_t* c) {
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        roots.push_back(it.data->root);
    return roots;
}

xcb_keysym_t keysymAt(const KeyMap& map, xcb_keycode_t keycode, int column) {
    const std::size_t at =
        static_cast<std::size_t>(keycode - map.minKeycode) * map.perKeycode + column;
    return at < map.keysyms.size() ? map.keysyms[at] : 0;
}

int keycodeCount(const KeyMap& map) {
    return map.perKeycode > 0 ? static_cast<int>(map.keysyms.size()) / map.perKeycode : 0;
}

// The modifier bit that a key producing one of `keysyms` sets, or 0.
std::uint16_t modifierBitOf(xcb_connection_t* c, const KeyMap& map,
                            std::initializer_list<xcb_keysym_t> keysyms) {
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (!reply)
        return 0;
    std::uint16_t mask = 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
        for (int i = 0; i < perModifier && !mask; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == 0 || code < map.minKeycode || code - map.minKeycode >= keycodeCount(map))
                continue;
            for (int column = 0; column < map.perKeycode; ++column)
                if (std::find(keysyms.begin(), keysyms.end(), keysymAt(map, code, column)) !=
                    keysyms.end())
                    mask = static_cast<std::uint16_t>(1u << modifier);
        }
    }
    std::free(reply);
    return mask;
}

void loadKeyMap(xcb_connection_t* c) {
    KeyMap map;
    const xcb_setup_t* setup = xcb_get_setup(c);
    map.minKeycode = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (reply) {
        map.perKeycode = reply->keysyms_per_keycode;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        map.keysyms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(reply));
        std::free(reply);
    }
    map.numLockMask = modifierBitOf(c, map, {NumLockKeysym});
    if (const std::uint16_t alt = modifierBitOf(c, map, {AltLKeysym, AltRKeysym}))
        map.altMask = alt;
    map.loaded = true;
    state().map = std::move(map);
}

// Every key whose first keysym is `keysym` (an upper-case letter counting
// as its lower case, as the core protocol reads a lone letter); failing
// that, every key that gives it with Shift (digits on some layouts, the
// keypad's digits).
std::vector<xcb_keycode_t> keycodesFor(const KeyMap& map, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> found;
    if (keysym == 0) // NoSymbol: what unused keys hold
        return found;
    const int count = keycodeCount(map);
    for (int column = 0; column < std::min(2, map.perKeycode) && found.empty(); ++column) {
        for (int i = 0; i < count; ++i) {
            const auto code = static_cast<xcb_keycode_t>(map.minKeycode + i);
            xcb_keysym_t sym = keysymAt(map, code, column);
            if (column == 0 && sym >= 'A' && sym <= 'Z')
                sym += 'a' - 'A';
            if (sym == keysym)
                found.push_back(code);
        }
    }
    return found;
}

std::uint16_t xModifiersOf(const KeyMap& map, unsigned modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & ModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & ModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & ModAlt)
        mask |= map.altMask;
    return mask;
}

// The combination plus every state of the lock keys that must not keep it from firing.
std::vector<std::uint16_t> lockVariants(const KeyMap& map, std::uint16_t xModifiers) {
    std::vector<std::uint16_t> variants{xModifiers,
                                        static_cast<std::uint16_t>(xModifiers | XCB_MOD_MASK_LOCK)};
    if (map.numLockMask) {
        variants.push_back(xModifiers | map.numLockMask);
        variants.push_back(xModifiers | map.numLockMask | XCB_MOD_MASK_LOCK);
    }
    return variants;
}

void ungrabKeys(xcb_connection_t* c, const std::vector<xcb_keycode_t>& codes,
                std::uint16_t xModifiers) {
    for (xcb_window_t root : rootWindows(c))
        for (xcb_keycode_t code : codes)
            for (std::uint16_t mods : lockVariants(state().map, xModifiers))
                xcb_ungrab_key(c, code, root, mods);
    xcb_flush(c);
}

void report(int id, const char* why) {
    std::fprintf(stderr, "Quorvane: hotkey %d is not active: %s\n", id, why);
}

// Grabs the combination on `codes` in every lock state; true when every
// grab was granted. A refusal releases the part that was granted: a
// half-grabbed combination would fire only in some lock states.
bool grabAll(xcb_connection_t* c, const std::vector<xcb_keycode_t>& codes,
             std::uint16_t xModifiers) {
    const KeyMap& map = state().map;
    std::vector<xcb_void_cookie_t> cookies;
    for (xcb_window_t root : rootWindows(c))
        for (xcb_keycode_t code : codes)
            for (std::uint16_t mods : lockVariants(map, xModifiers))
                cookies.push_back(xcb_grab_key_checked(c, 0, root, mods, code, XCB_GRAB_MODE_ASYNC,
                                                       XCB_GRAB_MODE_ASYNC));
    bool granted = true;
    for (xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            granted = false;
            std::free(error);
        }
    }
    if (!granted)
        ungrabKeys(c, codes, xModifiers);
    return granted;
}

// Another registration of ours that holds the combination on one of `codes`.
bool heldByUs(int id, const std::vector<xcb_keycode_t>& codes, std::uint16_t xModifiers) {
    for (const Registration& other : state().registrations) {
        if (other.id == id || other.keycodes.empty() || other.xModifiers != xModifiers)
            continue;
        for (xcb_keycode_t code : codes)
            if (std::find(other.keycodes.begin(), other.keycodes.end(), code) !=
                other.keycodes.end())
                return true;
    }
    return false;
}

// Grabs r's combination on the keys that produce it now; fills r.keycodes
// when every grab was granted, leaves it empty otherwise.
bool grabKeys(xcb_connection_t* c, Registration& r) {
    const KeyMap& map = state().map;
    r.keycodes.clear();
    r.xModifiers = xModifiersOf(map, r.modifiers);
    const std::vector<xcb_keycode_t> codes = keycodesFor(map, linux_keys::virtualKey2Keysym(r.vk));
    if (codes.empty()) {
        report(r.id, "no key of the keyboard produces it");
        return false;
    }
    if (heldByUs(r.id, codes, r.xModifiers)) {
        report(r.id, "another hotkey of this program has the same combination");
        return false;
    }
    if (!grabAll(c, codes, r.xModifiers)) {
        report(r.id, "another program holds the combination");
        return false;
    }
    r.keycodes = codes;
    return true;
}

void refreshAfterMapChange(xcb_connection_t* c) {
    for (Registration& r : state().registrations)
        if (!r.keycodes.empty())
            ungrabKeys(c, r.keycodes, r.xModifiers);
    loadKeyMap(c);
    for (Registration& r : state().registrations)
        grabKeys(c, r);
}

int xkbFirstEvent(xcb_connection_t* c) {
    int& first = state().xkbFirstEvent;
    if (first == -1) {
        const char name[] = "XKEYBOARD";
        xcb_query_extension_reply_t* reply =
            xcb_query_extension_reply(c, xcb_query_extension(c, sizeof name - 1, name), nullptr);
        first = reply && reply->present ? reply->first_event : -2;
        std::free(reply);
    }
    return first;
}

bool isRoot(xcb_connection_t* c, xcb_window_t window) {
    const std::vector<xcb_window_t> roots = rootWindows(c);
    return std::find(roots.begin(), roots.end(), window) != roots.end();
}

} // namespace

bool available() {
    return connection() != nullptr;
}

bool grab(int id, unsigned modifiers, std::uint16_t vk) {
    xcb_connection_t* c = connection();
    if (!c)
        return false;
    ungrab(id);
    if (!state().map.loaded)
        loadKeyMap(c);
    Registration r;
    r.id = id;
    r.modifiers = modifiers & (ModAlt | ModControl | ModShift);
    r.vk = vk;
    const bool granted = grabKeys(c, r);
    // Kept even when refused, so that a keyboard-map change tries it again.
    state().registrations.push_back(std::move(r));
    return granted;
}

HotkeyCheck check(unsigned modifiers, std::uint16_t vk) {
    xcb_connection_t* c = connection();
    if (!c)
        return HotkeyCheck::Free;
    if (!state().map.loaded)
        loadKeyMap(c);
    const std::uint16_t xModifiers = xModifiersOf(state().map, modifiers);
    const std::vector<xcb_keycode_t> codes =
        keycodesFor(state().map, linux_keys::virtualKey2Keysym(vk));
    if (codes.empty())
        return HotkeyCheck::NoKey;
    if (heldByUs(0, codes, xModifiers) || !grabAll(c, codes, xModifiers))
        return HotkeyCheck::Taken;
    ungrabKeys(c, codes, xModifiers);
    return HotkeyCheck::Free;
}

std::uint16_t baseVirtualKey(std::uint32_t keycode) {
    xcb_connection_t* c = connection();
    if (!c)
        return 0;
    if (!state().map.loaded)
        loadKeyMap(c);
    const KeyMap& map = state().map;
    if (keycode < map.minKeycode || keycode - map.minKeycode >= std::uint32_t(keycodeCount(map)))
        return 0;
    return linux_keys::keysym2VirtualKey(keysymAt(map, static_cast<xcb_keycode_t>(keycode), 0));
}

void ungrab(int id) {
    auto& registrations = state().registrations;
    const auto it = std::find_if(registrations.begin(), registrations.end(),
                                 [id](const Registration& r) { return r.id == id; });
    if (it == registrations.end())
        return;
    if (xcb_connection_t* c = connection(); c && !it->keycodes.empty())
        ungrabKeys(c, it->keycodes, it->xModifiers);
    registrations.erase(it);
}

bool fromNativeEvent(void* message, int& id) {
    xcb_connection_t* c = connection();
    if (!c || !message)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_KEY_PRESS) {
        const auto* press = static_cast<const xcb_key_press_event_t*>(message);
        const KeyMap& map = state().map;
        // Lock keys, mouse buttons and the keyboard group do not count.
        const std::uint16_t mods =
            press->state &
            (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_2 |
             XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5) &
            ~map.numLockMask;
        if (!isRoot(c, press->event))
            return false;
        for (const Registration& r : state().registrations) {
            if (r.xModifiers == mods && std::find(r.keycodes.begin(), r.keycodes.end(),
                                                  press->detail) != r.keycodes.end()) {
                id = r.id;
                return true;
            }
        }
        return false;
    }
    // The map is followed once read: for the grabs, and for the keys that
    // baseVirtualKey reads.
    if (!state().map.loaded)
        return false;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* notify = static_cast<const xcb_mapping_notify_event_t*>(message);
        if (notify->request == XCB_MAPPING_KEYBOARD || notify->request == XCB_MAPPING_MODIFIER)
            refreshAfterMapChange(c);
        return false;
    }
    const int xkb = xkbFirstEvent(c);
    if (xkb >= 0 && type == xkb) {
        // The XKB event code is the second byte of every XKB event.
        const std::uint8_t xkbType = event->pad0;
        if (xkbType == XkbNewKeyboardNotify || xkbType == XkbMapNotify)
            refreshAfterMapChange(c);
    }
    return false;
}

} // namespace platform::x11_hotkeys
