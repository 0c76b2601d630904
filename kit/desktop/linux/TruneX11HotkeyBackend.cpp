#include "kit/desktop/linux/TruneX11HotkeyBackend.h"

#include <QCoreApplication>

#include <array>
#include <cstdlib>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

// X keysyms of the ANSI keys by virtual key code. Printable keys use their Latin-1 keysym, which
// is the character itself.
struct KeyTranslation {
    quint32 keyCode;
    xcb_keysym_t keysym;
};

constexpr std::array keyTranslations{
    KeyTranslation{0x00, 'a'},
    KeyTranslation{0x01, 's'},
    KeyTranslation{0x02, 'd'},
    KeyTranslation{0x03, 'f'},
    KeyTranslation{0x04, 'h'},
    KeyTranslation{0x05, 'g'},
    KeyTranslation{0x06, 'z'},
    KeyTranslation{0x07, 'x'},
    KeyTranslation{0x08, 'c'},
    KeyTranslation{0x09, 'v'},
    KeyTranslation{0x0B, 'b'},
    KeyTranslation{0x0C, 'q'},
    KeyTranslation{0x0D, 'w'},
    KeyTranslation{0x0E, 'e'},
    KeyTranslation{0x0F, 'r'},
    KeyTranslation{0x10, 'y'},
    KeyTranslation{0x11, 't'},
    KeyTranslation{0x12, '1'},
    KeyTranslation{0x13, '2'},
    KeyTranslation{0x14, '3'},
    KeyTranslation{0x15, '4'},
    KeyTranslation{0x16, '6'},
    KeyTranslation{0x17, '5'},
    KeyTranslation{0x18, '='},
    KeyTranslation{0x19, '9'},
    KeyTranslation{0x1A, '7'},
    KeyTranslation{0x1B, '-'},
    KeyTranslation{0x1C, '8'},
    KeyTranslation{0x1D, '0'},
    KeyTranslation{0x1E, ']'},
    KeyTranslation{0x1F, 'o'},
    KeyTranslation{0x20, 'u'},
    KeyTranslation{0x21, '['},
    KeyTranslation{0x22, 'i'},
    KeyTranslation{0x23, 'p'},
    KeyTranslation{0x24, 0xff0d /* Return */},
    KeyTranslation{0x25, 'l'},
    KeyTranslation{0x26, 'j'},
    KeyTranslation{0x27, '\''},
    KeyTranslation{0x28, 'k'},
    KeyTranslation{0x29, ';'},
    KeyTranslation{0x2A, '\\'},
    KeyTranslation{0x2B, ','},
    KeyTranslation{0x2C, '/'},
    KeyTranslation{0x2D, 'n'},
    KeyTranslation{0x2E, 'm'},
    KeyTranslation{0x2F, '.'},
    KeyTranslation{0x30, 0xff09 /* Tab */},
    KeyTranslation{0x31, ' '},
    KeyTranslation{0x32, '`'},
    KeyTranslation{0x33, 0xff08 /* BackSpace */},
    KeyTranslation{0x35, 0xff1b /* Escape */},
    KeyTranslation{0x7A, 0xffbe /* F1 */},
    KeyTranslation{0x78, 0xffbf /* F2 */},
    KeyTranslation{0x63, 0xffc0 /* F3 */},
    KeyTranslation{0x76, 0xffc1 /* F4 */},
    KeyTranslation{0x60, 0xffc2 /* F5 */},
    KeyTranslation{0x61, 0xffc3 /* F6 */},
    KeyTranslation{0x62, 0xffc4 /* F7 */},
    KeyTranslation{0x64, 0xffc5 /* F8 */},
    KeyTranslation{0x65, 0xffc6 /* F9 */},
    KeyTranslation{0x6D, 0xffc7 /* F10 */},
    KeyTranslation{0x67, 0xffc8 /* F11 */},
    KeyTranslation{0x6F, 0xffc9 /* F12 */},
    KeyTranslation{0x73, 0xff50 /* Home */},
    KeyTranslation{0x74, 0xff55 /* Page_Up */},
    KeyTranslation{0x75, 0xffff /* Delete */},
    KeyTranslation{0x77, 0xff57 /* End */},
    KeyTranslation{0x79, 0xff56 /* Page_Down */},
    KeyTranslation{0x7B, 0xff51 /* Left */},
    KeyTranslation{0x7C, 0xff53 /* Right */},
    KeyTranslation{0x7D, 0xff54 /* Down */},
    KeyTranslation{0x7E, 0xff52 /* Up */},
};

std::optional<xcb_keysym_t> keysymFor(quint32 keyCode)
{
    for (const KeyTranslation& translation : keyTranslations) {
        if (translation.keyCode == keyCode)
            return translation.keysym;
    }
    return std::nullopt;
}

// Num Lock sits on Mod2 in every keymap X servers ship with.
constexpr uint16_t numLockMask = XCB_MOD_MASK_2;
constexpr std::array<uint16_t, 4> lockCombinations{0, XCB_MOD_MASK_LOCK, numLockMask, XCB_MOD_MASK_LOCK | numLockMask};
// The modifiers that tell shortcuts apart: everything but the locks and the mouse buttons.
constexpr uint16_t significantModifiers
    = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

// Command → Control, Shift → Shift, Option → Alt (Mod1). A mask with any other flag (Control,
// Caps Lock ...) has no counterpart that would not collide with these.
std::optional<uint16_t> x11Modifiers(quint32 carbonModifiers)
{
    constexpr quint32 known
        = TruneHotkeyDescriptor::commandFlag | TruneHotkeyDescriptor::shiftFlag | TruneHotkeyDescriptor::optionFlag;
    if (carbonModifiers & ~known)
        return std::nullopt;
    uint16_t modifiers = 0;
    if (carbonModifiers & TruneHotkeyDescriptor::commandFlag)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (carbonModifiers & TruneHotkeyDescriptor::shiftFlag)
        modifiers |= XCB_MOD_MASK_SHIFT;
    if (carbonModifiers & TruneHotkeyDescriptor::optionFlag)
        modifiers |= XCB_MOD_MASK_1;
    return modifiers;
}

// The key combinations this process holds. The X server lets a client grab a combination it
// already holds again without complaint, so without this two registrations (of one manager or of
// two) would share one grab, and releasing either would silently disable the other.
std::set<std::pair<xcb_keycode_t, uint16_t>>& combinationsHeldByThisProcess()
{
    static std::set<std::pair<xcb_keycode_t, uint16_t>> held;
    return held;
}

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

std::vector<xcb_window_t> rootWindows(xcb_connection_t* connection)
{
    std::vector<xcb_window_t> roots;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it))
        roots.push_back(it.data->root);
    return roots;
}

} // namespace

TruneX11HotkeyBackend::TruneX11HotkeyBackend(xcb_connection_t* connection)
    : m_connection(connection)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TruneX11HotkeyBackend::~TruneX11HotkeyBackend()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TruneX11HotkeyBackend::setPressedHandler(PressedHandler handler)
{
    m_pressed = std::move(handler);
}

std::optional<TruneHotkeyBackend::Reference> TruneX11HotkeyBackend::registerHotKey(
    const TruneHotkeyDescriptor& descriptor, const TruneHotkeyIdentity& identity)
{
    const std::optional<xcb_keysym_t> keysym = keysymFor(descriptor.keyCode);
    const std::optional<uint16_t> modifiers = x11Modifiers(descriptor.carbonModifiers);
    if (!keysym || !modifiers)
        return std::nullopt;
    const std::optional<xcb_keycode_t> keycode = keycodeFor(*keysym);
    if (!keycode || combinationsHeldByThisProcess().contains({*keycode, *modifiers}) || !grab(*keycode, *modifiers))
        return std::nullopt;
    combinationsHeldByThisProcess().insert({*keycode, *modifiers});
    const Reference reference = m_nextReference++;
    m_grabs.emplace(reference, Grab{*keycode, *modifiers, identity});
    return reference;
}

void TruneX11HotkeyBackend::unregisterHotKey(Reference reference)
{
    const auto found = m_grabs.find(reference);
    if (found == m_grabs.end())
        return;
    ungrab(found->second.keycode, found->second.modifiers);
    combinationsHeldByThisProcess().erase({found->second.keycode, found->second.modifiers});
    m_grabs.erase(found);
}

bool TruneX11HotkeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_KEY_PRESS)
        return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    // A grab reports its key on the root window; presses on the application's own windows are
    // ordinary typing.
    if (press->event != press->root)
        return false;
    const uint16_t modifiers = press->state & significantModifiers;
    for (const auto& [reference, grab] : m_grabs) {
        if (grab.keycode == press->detail && grab.modifiers == modifiers)
            return m_pressed && m_pressed(grab.identity);
    }
    return false;
}

// The first key that produces the keysym, looking at every key's unshifted symbol before any
// shifted one, so that "1" is found on its own key rather than under Shift of another.
std::optional<xcb_keycode_t> TruneX11HotkeyBackend::keycodeFor(xcb_keysym_t keysym) const
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const int keyCount = setup->max_keycode - setup->min_keycode + 1;
    const xcb_get_keyboard_mapping_cookie_t cookie
        = xcb_get_keyboard_mapping(m_connection, setup->min_keycode, static_cast<uint8_t>(keyCount));
    xcb_generic_error_t* error = nullptr;
    const ReplyPointer<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(m_connection, cookie, &error), &std::free);
    std::free(error);
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return std::nullopt;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKey = mapping->keysyms_per_keycode;
    const int mappedKeys = xcb_get_keyboard_mapping_keysyms_length(mapping.get()) / perKey;
    for (int level = 0; level < perKey; ++level) {
        for (int key = 0; key < mappedKeys; ++key) {
            if (keysyms[key * perKey + level] == keysym)
                return static_cast<xcb_keycode_t>(setup->min_keycode + key);
        }
    }
    return std::nullopt;
}

// Grabs every lock combination on every root window, waiting for the server's answers; when any
// is refused (another client holds it), releases the rest and fails.
bool TruneX11HotkeyBackend::grab(xcb_keycode_t keycode, uint16_t modifiers)
{
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_window_t root : rootWindows(m_connection)) {
        for (const uint16_t locks : lockCombinations) {
            cookies.push_back(xcb_grab_key_checked(
                m_connection, 0, root, modifiers | locks, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            refused = true;
            std::free(error);
        }
    }
    if (refused)
        ungrab(keycode, modifiers);
    return !refused;
}

// Releasing a combination this client does not hold changes nothing on the server, so a partly
// failed grab is undone by releasing all of it. Waits for the server, so that the key is free for
// other clients when this returns.
void TruneX11HotkeyBackend::ungrab(xcb_keycode_t keycode, uint16_t modifiers)
{
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_window_t root : rootWindows(m_connection)) {
        for (const uint16_t locks : lockCombinations)
            cookies.push_back(xcb_ungrab_key_checked(m_connection, keycode, root, modifiers | locks));
    }
    for (const xcb_void_cookie_t cookie : cookies)
        std::free(xcb_request_check(m_connection, cookie));
}
