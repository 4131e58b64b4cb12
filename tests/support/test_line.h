#pragma once
// A serial line for tests: the emulator's pseudo-terminal, opened at once,
// with the test writing and reading at the unit's end (the master side).
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "pty_line.h"

namespace vostel::testing {

class TestLine : public sim::PtyLine {
public:
    // Lets time pass while waiting; a Qt test runs its event loop there.
    using Pause = std::function<void(std::chrono::milliseconds)>;

    explicit TestLine(Pause pause = {}, bool raw = true);

    // Writes all of `bytes`, waiting while the line is full.
    void send(std::string_view bytes);
    // What arrives within `limit`, stopping early once `count` bytes came.
    std::string receive(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(3));

private:
    Pause pause_;
};

}  // namespace vostel::testing
