#pragma once
// Fakes of the shell's edges for unit tests. They note what happens, in order,
// in one shared event list.
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/clock.h"
#include "app/mdl_main.h"
#include "library/naming_prompt.h"
#include "runtime/error.h"
#include "serial/serial_control.h"
#include "support/recording_surface.h"

namespace vostel::test {

using Events = std::vector<std::string>;

struct FakeSerial : SerialControl {
    Events& events;
    std::deque<std::string> chunks;  // what each read returns
    std::function<void()> onOpen;    // may raise
    std::function<void()> onRead;    // may raise
    bool open = false;
    int reads = 0;
    explicit FakeSerial(Events& e) : events(e) {}

    void setCommPort(int16_t n) override { events.push_back("CommPort " + std::to_string(n)); }
    void setSettings(const std::string& s) override { events.push_back("Settings " + s); }
    void setInputLen(int n) override { events.push_back("InputLen " + std::to_string(n)); }
    bool portOpen() const override { return open; }
    void setPortOpen(bool o) override {
        if (o && onOpen) onOpen();
        open = o;
        events.push_back(o ? "open" : "close");
    }
    void output(std::string_view bytes) override { events.push_back("Output " + std::string(bytes)); }
    std::string input() override {
        ++reads;
        if (onRead) onRead();
        if (chunks.empty()) return {};
        std::string c = std::move(chunks.front());
        chunks.pop_front();
        return c;
    }
};

struct FakePrompts : Prompts {
    Events& events;
    std::string answer;
    std::function<void()> onInput;
    std::function<void()> whileBox;
    std::vector<std::string> boxes;  // "title|style|text"
    explicit FakePrompts(Events& e) : events(e) {}
    std::string inputBox(std::string_view prompt, std::string_view title) override {
        events.push_back("InputBox " + std::string(prompt) + "|" + std::string(title));
        if (onInput) onInput();
        return answer;
    }
    void msgBox(std::string_view text, int style, std::string_view title) override {
        boxes.push_back(std::string(title) + "|" + std::to_string(style) + "|" + std::string(text));
        events.push_back("MsgBox " + boxes.back());
        if (whileBox) whileBox();
    }
};

// A drawing area that notes each operation in the shared event list.
struct EventSurface : RecordingSurface {
    Events& events;
    explicit EventSurface(Events& e) : events(e) {}
    void note() { events.push_back(ops.back()); }
    void PSet(float x, float y) override {
        RecordingSurface::PSet(x, y);
        note();
    }
    void PSet(float x, float y, ColorValue c) override {
        RecordingSurface::PSet(x, y, c);
        note();
    }
    void Line(float x, float y, ColorValue c) override {
        RecordingSurface::Line(x, y, c);
        note();
    }
    void Cls() override {
        RecordingSurface::Cls();
        note();
    }
};

struct FakeForm : MainForm {
    Events& events;
    EventSurface surface;
    std::string log;
    bool timer = false;
    explicit FakeForm(Events& e) : events(e), surface(e) {}
    void showForm() override { events.push_back("show"); }
    DrawingSurface& drawingArea() override { return surface; }
    void enableTimer1() override {
        timer = true;
        events.push_back("timer");
    }
    void prependLog(std::string_view id) override {
        log = std::string(id) + "\r\n" + log;
        events.push_back("log " + std::string(id));
    }
};

struct FakeNaming : NamingPrompt {
    Events& events;
    std::deque<std::pair<bool, std::string>> answers;  // (OK pressed, text)
    std::function<void()> whileOpen;
    int shown = 0;
    explicit FakeNaming(Events& e) : events(e) {}
    bool showDialog(std::string& ret) override {
        ++shown;
        events.push_back("dialog");
        if (whileOpen) whileOpen();
        auto [ok, text] = answers.empty() ? std::pair<bool, std::string>{false, ""} : answers.front();
        if (!answers.empty()) answers.pop_front();
        if (ok) ret = text;
        return ok;
    }
};

struct FakeSender : KeystrokeSender {
    Events& events;
    std::function<void(std::string_view)> check;  // may raise
    explicit FakeSender(Events& e) : events(e) {}
    void sendKeys(std::string_view keys, bool wait) override {
        if (check) check(keys);
        events.push_back("keys " + std::string(keys) + (wait ? " wait" : ""));
    }
};

struct FakeClock : Clock {
    std::deque<float> readings;  // consumed one per read; the last one stays
    float now = 0;
    int reads = 0;
    float secondsSinceMidnight() override {
        ++reads;
        if (!readings.empty()) {
            now = readings.front();
            readings.pop_front();
        }
        return now;
    }
};

}  // namespace vostel::test
