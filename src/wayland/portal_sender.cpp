#include "wayland/portal_sender.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <vector>

#include "action/keys.h"
#include "action/sender_choice.h"
#include "runtime/cp1252.h"
#include "runtime/error.h"
#include "wayland/keymap.h"
#include "wayland/portal_token.h"

namespace vostel::wayland {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

constexpr uint kKeyboard = 1;             // device type bit
constexpr uint kPersistUntilRevoked = 2;  // persist_mode, from version 2 on
constexpr uint kPersistVersion = 2;
constexpr uint kCancelled = 1;  // Response codes: 0 success, 1 cancelled by the user, 2 ended otherwise

// The modifiers as the left-hand keys' keysyms (Shift_L, Control_L, Alt_L).
quint32 modifierKeysym(Modifier m) {
    switch (m) {
        case Modifier::Shift:
            return 0xFFE1;
        case Modifier::Ctrl:
            return 0xFFE3;
        case Modifier::Alt:
            return 0xFFE9;
    }
    return 0;
}

QDBusMessage portalCall(const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, interface, method);
}

}  // namespace

PortalSender::PortalSender(std::filesystem::path tokenFile)
    : bus_(QDBusConnection::sessionBus()), tokenFile_(std::move(tokenFile)) {
    if (!bus_.isConnected()) throw SenderUnavailable("there is no D-Bus session bus");
    QDBusMessage get =
        portalCall(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    get << kRemoteDesktop;
    const QDBusMessage props = bus_.call(get);
    if (props.type() != QDBusMessage::ReplyMessage || props.arguments().isEmpty())
        throw SenderUnavailable("no desktop portal answers on the session bus (" +
                                props.errorMessage().toStdString() + ")");
    const QVariantMap portal = qdbus_cast<QVariantMap>(props.arguments().at(0));
    if (!(portal.value(QStringLiteral("AvailableDeviceTypes")).toUInt() & kKeyboard))
        throw SenderUnavailable("the desktop portal offers no remote keyboard");
    const uint version = portal.value(QStringLiteral("version")).toUInt();

    auto* watcher =
        new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &PortalSender::onPortalGone);

    try {
        QVariantMap created =
            request(QStringLiteral("CreateSession"), {},
                    {{QStringLiteral("session_handle_token"), QStringLiteral("vostel")}}, "create a session");
        const QVariant handle = created.value(QStringLiteral("session_handle"));
        session_ =
            handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
        if (session_.isEmpty()) fail("the desktop portal gave no session");
        bus_.connect(kService, session_, kSession, QStringLiteral("Closed"), this, SLOT(onClosed()));

        // A portal that can remember the grant is asked to, and is shown the
        // grant of an earlier start, so that the desktop asks only once.
        QVariantMap select{{QStringLiteral("types"), kKeyboard}};
        if (version >= kPersistVersion) {
            select.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
            const std::string token = loadRestoreToken(tokenFile_);
            if (!token.empty()) select.insert(QStringLiteral("restore_token"), QString::fromStdString(token));
        }
        const QVariant path = QVariant::fromValue(QDBusObjectPath(session_));
        request(QStringLiteral("SelectDevices"), {path}, select, "choose the keyboard");
        const QVariantMap started =
            request(QStringLiteral("Start"), {path, QString()}, {}, "start the session");
        if (!(started.value(QStringLiteral("devices")).toUInt() & kKeyboard))
            fail(
                "the desktop started the remote-control session without the keyboard; restart vostel and "
                "allow the keyboard");
        if (version >= kPersistVersion)
            saveRestoreToken(tokenFile_,
                             started.value(QStringLiteral("restore_token")).toString().toStdString());
    } catch (...) {
        if (!session_.isEmpty() && !portalGone_)
            bus_.send(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
        throw;
    }
}

PortalSender::~PortalSender() {
    if (ended_.empty()) bus_.send(QDBusMessage::createMethodCall(kService, session_, kSession, "Close"));
}

QVariantMap PortalSender::request(const QString& method, QVariantList args, QVariantMap options,
                                  const char* step) {
    // The Request object's path follows from our bus name and a token of
    // ours, so its Response can be listened for before the call.
    const QString token = QStringLiteral("vostel%1").arg(++tokens_);
    options.insert(QStringLiteral("handle_token"), token);
    QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                       .arg(bus_.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')), token);
    const QString signature = QStringLiteral("ua{sv}");
    bus_.connect(kService, path, kRequest, QStringLiteral("Response"), signature, this,
                 SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = portalCall(kRemoteDesktop, method);
    args << options;
    call.setArguments(args);
    waiting_ = true;
    const QDBusMessage reply = bus_.call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        bus_.disconnect(kService, path, kRequest, QStringLiteral("Response"), signature, this,
                        SLOT(onResponse(uint, QVariantMap)));
        fail("the desktop portal could not " + std::string(step) + " (" + reply.errorMessage().toStdString() +
             ")");
    }
    // The user may take a while to answer the desktop's question.
    // GNOME closes the session before it answers a refusal: only the
    // answer itself, or the portal going away, ends the wait.
    while (waiting_ && !portalGone_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    bus_.disconnect(kService, path, kRequest, QStringLiteral("Response"), signature, this,
                    SLOT(onResponse(uint, QVariantMap)));
    if (waiting_) fail(ended_);
    if (code_ == kCancelled)
        fail("the desktop's request to let Vostel type keys was refused; restart vostel and allow it");
    if (code_ != 0)
        fail("the desktop ended its request to let Vostel type keys (while trying to " + std::string(step) +
             "); restart vostel to be asked again");
    if (!ended_.empty()) fail(ended_);
    return results_;
}

void PortalSender::onResponse(uint code, const QVariantMap& results) {
    code_ = code;
    results_ = results;
    waiting_ = false;
}

void PortalSender::onClosed() {
    ended_ = "the desktop closed Vostel's remote-control session; restart vostel to be asked again";
}

void PortalSender::onPortalGone() {
    portalGone_ = true;
    ended_ = "the desktop portal left the session bus; restart vostel once the desktop's portal runs again";
}

void PortalSender::fail(const std::string& what) {
    throw SenderFailed(kErrDeviceUnavailable, std::string(standardErrorText(kErrDeviceUnavailable)) +
                                                  ": keystrokes cannot be sent: " + what + ".");
}

void PortalSender::key(quint32 keysym, bool down) {
    QDBusMessage call = portalCall(kRemoteDesktop, QStringLiteral("NotifyKeyboardKeysym"));
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariantMap() << static_cast<qint32>(keysym)
         << static_cast<uint>(down ? 1 : 0);
    const QDBusMessage reply = bus_.call(call);
    if (reply.type() == QDBusMessage::ReplyMessage) return;
    if (ended_.empty())
        ended_ = "the desktop portal did not take a key (" + reply.errorMessage().toStdString() +
                 "); restart vostel to be asked again";
    fail(ended_);
}

void PortalSender::sendKeys(std::string_view keys, bool /*wait*/) {
    const std::vector<KeyEvent> events = parseKeys(cp1252ToU32(keys));
    if (events.empty()) return;
    if (!ended_.empty()) fail(ended_);
    for (const KeyEvent& e : events) {
        if (e.kind == KeyEvent::Kind::Press || e.kind == KeyEvent::Kind::Release) {
            key(modifierKeysym(e.modifier), e.kind == KeyEvent::Kind::Press);
            continue;
        }
        const quint32 sym = keysymFor(e);
        key(sym, true);
        key(sym, false);
    }
}

}  // namespace vostel::wayland
