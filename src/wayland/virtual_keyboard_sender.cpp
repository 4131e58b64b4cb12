#include "wayland/virtual_keyboard_sender.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "action/sender_choice.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace vostel::wayland {
namespace {

// Keys sent between two waits for the compositor, so that neither our
// buffer nor the receiving window's fills up on a long description.
constexpr int kKeysPerRoundtrip = 32;

std::uint32_t nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

[[noreturn]] void unavailable(const std::string& why) {
    throw RuntimeError(kErrDeviceUnavailable, std::string(standardErrorText(kErrDeviceUnavailable)) +
                                                  ": keystrokes cannot be sent: " + why + ".");
}

}  // namespace

VirtualKeyboardSender::VirtualKeyboardSender() {
    if (!connection_.offered(zwp_virtual_keyboard_manager_v1_interface))
        throw SenderUnavailable("the compositor does not offer zwp_virtual_keyboard_manager_v1");
    seat_ = static_cast<wl_seat*>(connection_.bind(wl_seat_interface, 1));
    if (!seat_) throw SenderUnavailable("the compositor has no seat");
    manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
        connection_.bind(zwp_virtual_keyboard_manager_v1_interface, 1));
    keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, seat_);
    if (wl_display_roundtrip(connection_.display()) < 0)
        throw SenderUnavailable("the compositor refused a virtual keyboard: " +
                                connectionError(connection_.display()));
}

VirtualKeyboardSender::~VirtualKeyboardSender() {
    if (keyboard_) zwp_virtual_keyboard_v1_destroy(keyboard_);
    if (manager_) zwp_virtual_keyboard_manager_v1_destroy(manager_);
    if (seat_) wl_seat_destroy(seat_);
    wl_display_flush(connection_.display());
}

void VirtualKeyboardSender::upload(const std::vector<KeyEvent>& events, std::size_t from) {
    // The keysyms of the keys from `from` on, as many as one keymap holds.
    std::vector<xkb_keysym_t> needed;
    for (std::size_t i = from; i < events.size(); ++i)
        if (events[i].kind == KeyEvent::Kind::Key || events[i].kind == KeyEvent::Kind::Char)
            needed.push_back(keysymFor(events[i]));
    keymap_.rebuild(needed);
    const std::string& text = keymap_.text();
    int fd = memfd_create("vostel-keymap", MFD_CLOEXEC);
    if (fd < 0) unavailable(std::string("no memory for the keymap (") + std::strerror(errno) + ")");
    const std::size_t size = text.size() + 1;  // with the terminating zero
    bool written = write(fd, text.c_str(), size) == static_cast<ssize_t>(size);
    if (written)
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(size));
    close(fd);
    if (!written) unavailable("the keymap could not be written");
    connection_.roundtrip();
    uploaded_ = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(kKeymapSettleMs));
    if (held_) modifiers(held_);  // a new keymap starts with none held
}

void VirtualKeyboardSender::key(std::uint32_t code, bool down) {
    zwp_virtual_keyboard_v1_key(keyboard_, nowMs(), code,
                                down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void VirtualKeyboardSender::modifiers(std::uint32_t mask) {
    zwp_virtual_keyboard_v1_modifiers(keyboard_, mask, 0, 0, 0);
}

void VirtualKeyboardSender::sendKeys(std::string_view keys, bool /*wait*/) {
    const std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;
    held_ = 0;
    int sent = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const KeyEvent& e = events[i];
        switch (e.kind) {
            case KeyEvent::Kind::Press:
            case KeyEvent::Kind::Release: {
                const bool down = e.kind == KeyEvent::Kind::Press;
                if (!uploaded_) upload(events, i);
                held_ = down ? held_ | OwnKeymap::modifierBit(e.modifier)
                             : held_ & ~OwnKeymap::modifierBit(e.modifier);
                key(OwnKeymap::modifierCode(e.modifier), down);
                modifiers(held_);
                break;
            }
            default: {
                std::optional<OwnKey> k = keymap_.find(keysymFor(e));
                if (!k || !uploaded_) {
                    upload(events, i);
                    k = keymap_.find(keysymFor(e));
                }
                // A capital is its letter's key with Shift, unless Shift is down already.
                const bool addShift = k->shift && !(held_ & OwnKeymap::kShift);
                if (addShift) modifiers(held_ | OwnKeymap::kShift);
                key(k->code, true);
                key(k->code, false);
                if (addShift) modifiers(held_);
                if (++sent % kKeysPerRoundtrip == 0) connection_.roundtrip();
            }
        }
    }
    connection_.roundtrip();
}

}  // namespace vostel::wayland
