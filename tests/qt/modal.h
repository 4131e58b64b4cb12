#pragma once
// Acts on the next modal window as soon as it is open, from inside its event loop.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace vostel::test {

inline void whenModalOpens(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}

}  // namespace vostel::test
