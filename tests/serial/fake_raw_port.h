#pragma once
// A raw port for tests of PortSession: it notes every call, in order, in one
// event list, returns what the test queued, and reports a lost device or a
// timer tick when the test says so.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serial/raw_port.h"

namespace vostel::testing {

class FakeRawPort final : public RawPort {
public:
    std::vector<std::string> events;
    std::vector<std::filesystem::path> opened;           // the devices open() was given
    std::deque<std::optional<OpenFailure>> openResults;  // for the next opens; empty: they succeed
    std::optional<std::string> applyRefusal;             // the reason apply() gives
    std::optional<std::string> readLoss, writeLoss;      // the next read or write finds the device gone
    std::string pending;                                 // bytes waiting to be read
    bool timerRunning = false;

    std::optional<OpenFailure> open(const std::filesystem::path& device, const LineSettings&) override {
        opened.push_back(device);
        std::optional<OpenFailure> result;
        if (!openResults.empty()) {
            result = openResults.front();
            openResults.pop_front();
        }
        events.push_back(result ? "open failed" : "open");
        return result;
    }
    std::optional<std::string> apply(const LineSettings& settings) override {
        events.push_back("apply " + std::to_string(settings.baud));
        return applyRefusal;
    }
    std::string read(std::size_t limit) override {
        if (readLoss) {
            lose(*std::exchange(readLoss, std::nullopt));
            return {};
        }
        const std::size_t count = limit > 0 ? std::min(limit, pending.size()) : pending.size();
        std::string bytes = pending.substr(0, count);
        pending.erase(0, count);
        return bytes;
    }
    void write(std::string_view bytes) override {
        events.push_back("write " + std::string(bytes));
        if (writeLoss) lose(*std::exchange(writeLoss, std::nullopt));
    }
    void close() override { events.push_back("close"); }
    void startTimer(int intervalMs) override {
        events.push_back("timer " + std::to_string(intervalMs));
        timerRunning = true;
    }
    void stopTimer() override {
        if (timerRunning) events.push_back("timer stop");
        timerRunning = false;
    }
    std::size_t droppedBytes() const override { return 0; }

    // The device goes away between calls, as a system reports it by itself.
    void lose(const std::string& reason) {
        events.push_back("lost");
        reportLost(reason);
    }
    // One tick of the timer, if it runs; false if it does not.
    bool tick() {
        if (!timerRunning) return false;
        reportTick();
        return true;
    }
};

}  // namespace vostel::testing
