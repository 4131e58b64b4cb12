#include "support/test_line.h"

#include <unistd.h>

#include <thread>

#include <gtest/gtest.h>

namespace vostel::testing {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TestLine::TestLine(Pause pause, bool raw) : pause_(std::move(pause)) {
    if (!pause_) pause_ = [](milliseconds ms) { std::this_thread::sleep_for(ms); };
    open(raw);
}

void TestLine::send(std::string_view bytes) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (!bytes.empty() && Clock::now() < end) {
        const ssize_t n = ::write(master(), bytes.data(), bytes.size());
        if (n > 0)
            bytes.remove_prefix(static_cast<std::size_t>(n));
        else
            pause_(milliseconds(5));
    }
    ASSERT_TRUE(bytes.empty()) << "the line did not take the bytes";
}

std::string TestLine::receive(std::size_t count, milliseconds limit) {
    std::string got;
    const auto end = Clock::now() + limit;
    while (got.size() < count && Clock::now() < end) {
        char buf[256];
        const ssize_t n = ::read(master(), buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
        else
            pause_(milliseconds(10));
    }
    return got;
}

}  // namespace vostel::testing
