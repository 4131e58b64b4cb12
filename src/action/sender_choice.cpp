#include "action/sender_choice.h"

#include <cstdlib>

#include "action/keys.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"

namespace vostel {
namespace {

bool isSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// A run-time error's text without its standard part, as a reason.
std::string reasonOf(const RuntimeError& e) {
    std::string text = e.text();
    for (std::string_view lead :
         {std::string(standardErrorText(e.number())) + ": ", std::string("keystrokes cannot be sent: ")}) {
        if (text.starts_with(lead)) text.erase(0, lead.size());
    }
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

Session Session::fromEnvironment() { return {isSet("WAYLAND_DISPLAY"), isSet("DISPLAY")}; }

std::vector<SenderKind> sendersToTry(const Session& session) {
    if (!session.wayland) {
        if (session.x11) return {SenderKind::XTest};
        return {};
    }
    return {SenderKind::VirtualKeyboard, SenderKind::KdeFakeInput, SenderKind::Portal, SenderKind::XTest};
}

std::string_view describe(SenderKind kind) {
    switch (kind) {
        case SenderKind::VirtualKeyboard:
            return "the compositor's virtual keyboard";
        case SenderKind::KdeFakeInput:
            return "KDE's fake input";
        case SenderKind::Portal:
            return "the RemoteDesktop portal";
        case SenderKind::XTest:
            return "XTest through XWayland";
    }
    return "?";
}

std::unique_ptr<KeystrokeSender> chooseSender(const Session& session, const SenderProbe& probe,
                                              SenderKind* chosen) {
    if (!session.wayland && session.x11) {  // an X11 session: XTest, with its own errors
        std::unique_ptr<KeystrokeSender> sender = probe(SenderKind::XTest);
        if (chosen) *chosen = SenderKind::XTest;
        return sender;
    }
    std::string tried;
    for (SenderKind kind : sendersToTry(session)) {
        std::string why;
        if (kind == SenderKind::XTest && session.wayland && !session.x11) {
            why = "DISPLAY is not set";
        } else {
            try {
                if (std::unique_ptr<KeystrokeSender> sender = probe(kind)) {
                    if (chosen) *chosen = kind;
                    return sender;
                }
                why = "not available";
            } catch (const SenderFailed&) {
                throw;
            } catch (const SenderUnavailable& e) {
                why = e.what();
            } catch (const RuntimeError& e) {
                why = reasonOf(e);
            }
        }
        tried += (tried.empty() ? "" : "; ") + std::string(describe(kind)) + ": " + why;
    }
    std::string text =
        std::string(standardErrorText(kErrDeviceUnavailable)) + ": keystrokes cannot be sent: ";
    if (tried.empty())
        text += "there is neither a Wayland nor an X11 display (WAYLAND_DISPLAY and DISPLAY are not set).";
    else
        text += "tried " + tried + ".";
    throw RuntimeError(kErrDeviceUnavailable, text);
}

ChosenKeystrokeSender::ChosenKeystrokeSender(Session session, SenderProbe probe)
    : session_(session), probe_(std::move(probe)) {}

void ChosenKeystrokeSender::sendKeys(std::string_view keys, bool wait) {
    if (parseKeys(cp1252ToU32(keys)).empty()) return;
    if (!sender_) {
        SenderKind kind{};
        sender_ = chooseSender(session_, probe_, &kind);
        kind_ = kind;
    }
    sender_->sendKeys(keys, wait);
}

}  // namespace vostel
