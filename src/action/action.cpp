#include "action/action.h"

namespace vostel {

namespace {
constexpr std::string_view kPrefix = "sendkeys:";
}

void Action::doAction(std::string_view theID) {
    // The first nine characters must be the prefix exactly: case and blanks count.
    if (theID.substr(0, kPrefix.size()) != kPrefix) return;
    sender_.sendKeys(theID.substr(kPrefix.size()), false);
}

}  // namespace vostel
