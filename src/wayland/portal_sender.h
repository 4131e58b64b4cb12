#pragma once
// Types key descriptions through the RemoteDesktop portal
// (org.freedesktop.portal.RemoteDesktop on the session bus): GNOME, and KDE
// when it does not offer fake input. One keyboard session for the program's
// life; keys go as keysyms, down and up.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <filesystem>
#include <string>
#include <string_view>

#include "action/keystroke_sender.h"

namespace vostel::wayland {

class PortalSender final : public QObject, public KeystrokeSender {
    Q_OBJECT
public:
    // Starts the keyboard session; the desktop may ask the user first (a
    // portal of version 2 or later is asked to remember the grant, with the
    // token kept in `tokenFile`). SenderUnavailable when there is no portal
    // with a keyboard; RuntimeError 68 when the desktop refuses.
    explicit PortalSender(std::filesystem::path tokenFile);
    ~PortalSender() override;

    // Parses the whole description first (error 5; nothing typed), then types
    // it. RuntimeError 68 when the session has ended or the portal is gone.
    void sendKeys(std::string_view keys, bool wait) override;

private slots:
    void onResponse(uint code, const QVariantMap& results);
    void onClosed();
    void onPortalGone();

private:
    // Calls a method that answers through a Request object, and waits for
    // its Response; RuntimeError 68 for a refusal or a vanished portal.
    QVariantMap request(const QString& method, QVariantList args, QVariantMap options, const char* step);
    void key(quint32 keysym, bool down);
    [[noreturn]] void fail(const std::string& what);

    QDBusConnection bus_;
    std::filesystem::path tokenFile_;
    QString session_;
    std::string ended_;  // why the session ended; empty while it lasts
    bool portalGone_ = false;
    bool waiting_ = false;
    uint code_ = 0;
    QVariantMap results_;
    int tokens_ = 0;
};

}  // namespace vostel::wayland
