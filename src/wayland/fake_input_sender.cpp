#include "wayland/fake_input_sender.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <vector>

#include "action/sender_choice.h"
#include "fake-input-client-protocol.h"
#include "runtime/cp1252.h"
#include "wayland/keymap.h"

namespace vostel::wayland {
namespace {

// keyboard_key came with version 4.
constexpr std::uint32_t kKeysVersion = 4;

void onCapabilities(void* data, wl_seat*, std::uint32_t caps) { *static_cast<std::uint32_t*>(data) = caps; }
void onName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener{onCapabilities, onName};

void onKeymap(void* data, wl_keyboard*, std::uint32_t format, int fd, std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) static_cast<FakeInputSender*>(data)->setKeymap(fd, size);
    close(fd);
}
void onEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void onLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void onKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t group) {
    static_cast<FakeInputSender*>(data)->setLayout(group);
}
void onRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboardListener{onKeymap, onEnter, onLeave, onKey, onModifiers, onRepeat};

}  // namespace

FakeInputSender::FakeInputSender() {
    const std::uint32_t version = connection_.offered(org_kde_kwin_fake_input_interface);
    if (!version)
        throw SenderUnavailable(
            "the compositor does not offer org_kde_kwin_fake_input (KDE offers "
            "it only to the installed program, named in its desktop entry)");
    if (version < kKeysVersion)
        throw SenderUnavailable("the compositor's org_kde_kwin_fake_input is version " +
                                std::to_string(version) + ", without keys");
    std::uint32_t caps = 0;
    seat_ = static_cast<wl_seat*>(connection_.bind(wl_seat_interface, 1));
    if (!seat_) throw SenderUnavailable("the compositor has no seat");
    wl_seat_add_listener(seat_, &kSeatListener, &caps);
    connection_.roundtrip();
    if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD))
        throw SenderUnavailable("the seat has no keyboard whose layout keys could be typed with");
    keyboard_ = wl_seat_get_keyboard(seat_);
    wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    fake_ = static_cast<org_kde_kwin_fake_input*>(
        connection_.bind(org_kde_kwin_fake_input_interface, kKeysVersion));
    org_kde_kwin_fake_input_authenticate(fake_, "Vostel", "types the keys bound to remote-control buttons");
    connection_.roundtrip();
    if (!keymap_) throw SenderUnavailable("the seat's keyboard sent no keymap");
}

FakeInputSender::~FakeInputSender() {
    if (fake_) org_kde_kwin_fake_input_destroy(fake_);
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (seat_) wl_seat_destroy(seat_);
    wl_display_flush(connection_.display());
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

void FakeInputSender::setKeymap(int fd, std::uint32_t size) {
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map == MAP_FAILED || !context_) return;
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(context_, static_cast<const char*>(map),
                                                    ::strnlen(static_cast<const char*>(map), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(map, size);
    if (!keymap) return;
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    layout_.reset();
}

void FakeInputSender::setLayout(xkb_layout_index_t layout) {
    if (layout != layoutIndex_) layout_.reset();
    layoutIndex_ = layout;
}

void FakeInputSender::key(std::uint32_t code, bool down) {
    org_kde_kwin_fake_input_keyboard_key(
        fake_, code, down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void FakeInputSender::sendKeys(std::string_view keys, bool /*wait*/) {
    const std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;
    connection_.roundtrip();  // a keymap or layout changed since
    if (!layout_) layout_.emplace(keymap_, layoutIndex_);

    const std::vector<SeatLayout::Stroke> strokes = layout_->plan(events);
    std::size_t next = 0;
    for (const KeyEvent& e : events) {
        if (e.kind == KeyEvent::Kind::Press || e.kind == KeyEvent::Kind::Release) {
            key(layout_->modifierKey(e.modifier), e.kind == KeyEvent::Kind::Press);
            continue;
        }
        const SeatLayout::Stroke& s = strokes[next++];
        for (std::uint32_t k : s.hold) key(k, true);
        key(s.code, true);
        key(s.code, false);
        for (auto k = s.hold.rbegin(); k != s.hold.rend(); ++k) key(*k, false);
        if (next % 32 == 0) connection_.roundtrip();
    }
    connection_.roundtrip();
}

}  // namespace vostel::wayland
