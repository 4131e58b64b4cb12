#pragma once
// A connection to the Wayland compositor and the globals it offers.
#include <cstdint>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_interface;

namespace vostel::wayland {

class Connection {
public:
    // Connects to $WAYLAND_DISPLAY and reads the globals. Raises
    // SenderUnavailable when it cannot connect.
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    wl_display* display() const { return display_; }
    // The version the compositor offers of an interface; 0 when it offers none.
    std::uint32_t offered(const wl_interface& iface) const;
    // Binds the first global of `iface` at the lower of `version` and the offered one.
    void* bind(const wl_interface& iface, std::uint32_t version);
    // Waits until the compositor has handled every request so far. A lost
    // connection or a protocol error raises RuntimeError 68 saying so.
    void roundtrip();

    // For the registry's listener.
    struct Global {
        std::uint32_t name;
        std::string interface;
        std::uint32_t version;
    };
    std::vector<Global> globals;

private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
};

// How long a client needs, after a keyboard or keymap appears, before its
// first key reaches the focused window: the window must first get the
// keyboard and its keymap from the compositor.
inline constexpr int kKeymapSettleMs = 40;

// What ended the connection: lost, or a protocol error, in words.
std::string connectionError(wl_display* display);

}  // namespace vostel::wayland
