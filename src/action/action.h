#pragma once
// Action: carries out what a recognised signal ID stands for.
#include <string_view>

#include "action/keystroke_sender.h"

namespace vostel {

// An ID that begins with exactly this text types the rest of it.
inline constexpr std::string_view kSendKeysPrefix = "sendkeys:";

class Action {
public:
    explicit Action(KeystrokeSender& sender) : sender_(sender) {}
    // An ID that begins with exactly "sendkeys:" types the rest of it.
    void doAction(std::string_view theID);

private:
    KeystrokeSender& sender_;
};

}  // namespace vostel
