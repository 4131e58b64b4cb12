#include "action/action.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/error.h"
#include "support/errors.h"

namespace vostel {
namespace {

class RecordingSender : public KeystrokeSender {
public:
    void sendKeys(std::string_view keys, bool wait) override { calls.emplace_back(std::string(keys), wait); }
    std::vector<std::pair<std::string, bool>> calls;
};

std::vector<std::pair<std::string, bool>> sent(std::string_view id) {
    RecordingSender sender;
    Action(sender).doAction(id);
    return sender.calls;
}

using Calls = std::vector<std::pair<std::string, bool>>;

TEST(DoAction, PassesTheRestAfterThePrefixUnchangedWithoutWaiting) {
    EXPECT_EQ(sent("sendkeys:abc"), (Calls{{"abc", false}}));
    EXPECT_EQ(sent("sendkeys: abc"), (Calls{{" abc", false}}));
    EXPECT_EQ(sent("sendkeys:abc  "), (Calls{{"abc  ", false}}));
    EXPECT_EQ(sent("sendkeys:{FOO}++"), (Calls{{"{FOO}++", false}}));  // not validated here
    EXPECT_EQ(sent("sendkeys:sendkeys:x"), (Calls{{"sendkeys:x", false}}));
    EXPECT_EQ(sent("sendkeys:\xE4\x80"), (Calls{{"\xE4\x80", false}}));  // Windows-1252 bytes
}

TEST(DoAction, ExactlyThePrefixPassesTheEmptyText) { EXPECT_EQ(sent("sendkeys:"), (Calls{{"", false}})); }

TEST(DoAction, AnyDifferenceInThePrefixSendsNothing) {
    for (const char* id :
         {"Sendkeys:abc", "sendKeys:abc", "SENDKEYS:abc", "sendkeyS:abc", "sendkeys abc", "sendkeysabc",
          " sendkeys:abc", "xsendkeys:abc", "abc sendkeys:abc", "sendkeys;abc", "send keys:abc"}) {
        EXPECT_TRUE(sent(id).empty()) << id;
    }
}

TEST(DoAction, ShortIdsSendNothing) {
    for (const char* id : {"", "s", "sendkeys", "sendkey:"}) EXPECT_TRUE(sent(id).empty()) << id;
}

TEST(DoAction, LetsTheSendersErrorThroughUnchanged) {
    class Refusing : public KeystrokeSender {
    public:
        void sendKeys(std::string_view, bool) override { throw RuntimeError(5, "refused"); }
    } sender;
    Action action(sender);
    const RuntimeError e = testing::errorOf([&] { action.doAction("sendkeys:{"); });
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.text(), "refused");
    EXPECT_NO_THROW(action.doAction("other"));
}

}  // namespace
}  // namespace vostel
