// Costs of the desktop program's busiest paths, with the real main window on
// Qt's offscreen platform: one receive-cycle tick that completes 20 packets
// against a library of 32768 records, and one log entry in a long log.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <random>

#include "app/clock.h"
#include "library/library_file.h"
#include "library/naming_prompt.h"
#include "qt/frm_main.h"
#include "serial/serial_control.h"

namespace vostel {
namespace {

namespace fs = std::filesystem;

// A serial control that hands out prepared chunks.
struct ChunkSerial : SerialControl {
    std::deque<std::string> chunks;
    void setCommPort(int16_t) override {}
    void setSettings(const std::string&) override {}
    void setInputLen(int) override {}
    bool portOpen() const override { return true; }
    void setPortOpen(bool) override {}
    void output(std::string_view) override {}
    std::string input() override {
        if (chunks.empty()) return {};
        std::string c = std::move(chunks.front());
        chunks.pop_front();
        return c;
    }
};

struct AnswerPrompts : Prompts {
    std::string inputBox(std::string_view, std::string_view) override { return "1"; }
    void msgBox(std::string_view text, int, std::string_view) override {
        std::fprintf(stderr, "unexpected box: %.*s\n", static_cast<int>(text.size()), text.data());
        std::abort();
    }
};

struct NoNaming : NamingPrompt {
    bool showDialog(std::string&) override { return false; }
};

struct NoKeys : KeystrokeSender {
    void sendKeys(std::string_view, bool) override {}
};

Packet randomPacket(std::mt19937& rng, int length) {
    std::uniform_int_distribution<int> d(0, 254);
    Packet p(static_cast<std::size_t>(length));
    for (auto& v : p) v = static_cast<int16_t>(d(rng));
    return p;
}

std::string frame(const Packet& p) {
    std::string s(1, '\xFE');
    for (int16_t v : p) s += static_cast<char>(v == 255 ? 254 : v);
    return s + '\xFF';
}

// Library records of 68 durations. `similar`: every record matches the
// received packets in all but the last element, so each comparison runs to
// the end (the worst case); otherwise they are random (the usual case).
// `records` 0 leaves the library empty: the shell's own part of the tick.
void tick(benchmark::State& state, bool similar, int recordCount = 32768) {
    const fs::path dir = fs::temp_directory_path() / "vostel-bench-desktop";
    fs::create_directories(dir);
    std::mt19937 rng(7);
    const Packet base = randomPacket(rng, 68);
    SignalLibrary records;
    for (int i = 0; i < recordCount; ++i) {
        Packet p = similar ? base : randomPacket(rng, 68);
        if (similar) p.back() = static_cast<int16_t>(base.back() > 127 ? 0 : 254);
        records.push_back({p, "signal " + std::to_string(i)});
    }
    writeLibraryFile(dir / "irdata.txt", records);

    ChunkSerial com;
    AnswerPrompts prompts;
    NoNaming naming;
    NoKeys keys;
    SystemClock clock;
    qt::frmMain form;
    mdlMain shell(form, com, prompts, naming, keys, clock, dir / "irdata.txt");
    form.attach(shell);
    if (shell.startUp() != mdlMain::StartResult::Running) std::abort();
    form.Timer1->stop();  // the benchmark runs the ticks itself
    if (recordCount > 0) shell.btnLoadIRData_Click();

    std::string chunk;
    for (int i = 0; i < 20; ++i) chunk += frame(base);
    for (auto _ : state) {
        com.chunks.push_back(chunk);
        shell.Timer1_Timer();
        QApplication::processEvents();  // the repaint of the picture area
    }
    fs::remove_all(dir);
}

void BM_TickTwentyPacketsRandomLibrary(benchmark::State& state) { tick(state, false); }
void BM_TickTwentyPacketsWorstCaseLibrary(benchmark::State& state) { tick(state, true); }
void BM_TickTwentyPacketsEmptyLibrary(benchmark::State& state) { tick(state, false, 0); }

// One log entry, with the window shown and repainted, after `range(0)` entries.
void BM_LogEntry(benchmark::State& state) {
    qt::frmMain form;
    form.show();
    for (int64_t i = 0; i < state.range(0); ++i) form.prependLog("signal " + std::to_string(i));
    QApplication::processEvents();
    for (auto _ : state) {
        form.prependLog("sendkeys:{ENTER}");
        QApplication::processEvents();
    }
}

BENCHMARK(BM_TickTwentyPacketsRandomLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickTwentyPacketsWorstCaseLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TickTwentyPacketsEmptyLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogEntry)->Arg(10)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vostel

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
