#include "wayland/connection.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "action/sender_choice.h"
#include "runtime/error.h"

namespace vostel::wayland {
namespace {

void onGlobal(void* data, wl_registry*, std::uint32_t name, const char* iface, std::uint32_t version) {
    static_cast<Connection*>(data)->globals.push_back({name, iface, version});
}
void onGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    std::erase_if(static_cast<Connection*>(data)->globals,
                  [name](const Connection::Global& g) { return g.name == name; });
}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

}  // namespace

Connection::Connection() {
    display_ = wl_display_connect(nullptr);
    if (!display_) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        throw SenderUnavailable(std::string("cannot connect to the Wayland display \"") + (name ? name : "") +
                                "\" (" + std::strerror(errno) + ")");
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) {
        std::string why = connectionError(display_);
        wl_registry_destroy(registry_);
        wl_display_disconnect(display_);
        throw SenderUnavailable(why);
    }
}

Connection::~Connection() {
    wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::uint32_t Connection::offered(const wl_interface& iface) const {
    for (const Global& g : globals)
        if (g.interface == iface.name) return g.version;
    return 0;
}

void* Connection::bind(const wl_interface& iface, std::uint32_t version) {
    for (const Global& g : globals)
        if (g.interface == iface.name)
            return wl_registry_bind(registry_, g.name, &iface, std::min(version, g.version));
    return nullptr;
}

void Connection::roundtrip() {
    if (wl_display_roundtrip(display_) < 0)
        throw RuntimeError(kErrDeviceUnavailable,
                           std::string(standardErrorText(kErrDeviceUnavailable)) +
                               ": keystrokes cannot be sent: " + connectionError(display_) + ".");
}

std::string connectionError(wl_display* display) {
    const wl_interface* iface = nullptr;
    std::uint32_t id = 0;
    int err = wl_display_get_error(display);
    if (err == EPROTO) {
        std::uint32_t code = wl_display_get_protocol_error(display, &iface, &id);
        return std::string("the Wayland compositor ended the connection (error ") + std::to_string(code) +
               " of " + (iface ? iface->name : "an object") + ")";
    }
    return std::string("the connection to the Wayland compositor was lost (") +
           std::strerror(err ? err : EPIPE) + ")";
}

}  // namespace vostel::wayland
