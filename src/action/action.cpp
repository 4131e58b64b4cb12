#include "action/action.h"

namespace vostel {

void Action::doAction(std::string_view theID) {
    // The first nine characters must be the prefix exactly: case and blanks count.
    if (theID.substr(0, kSendKeysPrefix.size()) != kSendKeysPrefix) return;
    sender_.sendKeys(theID.substr(kSendKeysPrefix.size()), false);
}

}  // namespace vostel
