#pragma once
// mdlMain: the shell. Start-up, the receive cycle run by every tick of Timer1,
// the per-packet stage that records, recognises and acts, and the two buttons.
// It owns every service object once and catches errors at the entry points.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "action/action.h"
#include "app/clock.h"
#include "app/hold_off.h"
#include "decode/decoder.h"
#include "display/drawing_surface.h"
#include "display/visuals.h"
#include "library/naming_prompt.h"
#include "runtime/error.h"
#include "serial/comport.h"

namespace vostel {

// Kept out of this header: OCR has a member named like a Qt keyword macro.
class OCR;

// What the shell needs of the main window frmMain.
class MainForm {
public:
    virtual ~MainForm() = default;
    // Shows the window without waiting for it to close.
    virtual void showForm() = 0;
    virtual DrawingSurface& drawingArea() = 0;
    virtual void enableTimer1() = 0;
    // Puts the ID (Windows-1252), a carriage return and a line feed in front of
    // the log's text and brings its first line into view.
    virtual void prependLog(std::string_view theID) = 0;
};

class mdlMain {
public:
    // Message box style of the run-time error box: critical icon, one OK button.
    static constexpr int kErrorBoxStyle = 16;

    mdlMain(MainForm& form, SerialControl& com1, Prompts& prompts, NamingPrompt& naming,
            KeystrokeSender& keys, Clock& clock, std::filesystem::path libraryFile = "irdata.txt");
    ~mdlMain();
    mdlMain(const mdlMain&) = delete;
    mdlMain& operator=(const mdlMain&) = delete;

    enum class StartResult { Running, Ended, Failed };
    // Runs Main. An error shows the run-time error box and gives Failed; a port
    // number below 1 gives Ended. In both cases the program must end now.
    StartResult startUp();

    // Event handlers of frmMain. None lets an error escape.
    void Timer1_Timer();
    void butRec_Click();
    void btnLoadIRData_Click();

    // The procedures themselves; errors go to the caller.
    bool Main();  // false: the port number was below 1
    void receiveCycle();
    void handlePacket(const Packet& thePacket);
    void armRecording();
    void loadLibrary();

    bool busy() const { return busy_; }
    int16_t recordCount() const { return recordCount_; }
    float lastActionTime() const { return holdOff_.lastActionTime(); }
    const OCR* ocr() const { return ocr_.get(); }
    const Decoder& decoder() const { return decoder_; }
    const Visuals& visuals() const { return visuals_; }

    // The run-time error an exception stands for (inside a catch block).
    static RuntimeError currentError();

private:
    OCR& library();
    void showError(const RuntimeError& error);

    MainForm& form_;
    Prompts& prompts_;
    std::filesystem::path libraryFile_;
    NamingPrompt& naming_;

    ComPort comPort_;
    Decoder decoder_;
    Visuals visuals_;
    Action action_;
    std::unique_ptr<OCR> ocr_;

    bool busy_ = false;
    int16_t recordCount_ = 0;
    HoldOff holdOff_;  // lastActionTime

    // Of the running or last receive cycle: whether its input was read,
    // whether it failed while recording, and how many packets it handled to the end.
    bool inputRead_ = false;
    bool recording_ = false;  // in OCR.Record (still set when it raised)
    int packetsHandled_ = 0;
    // The last error the receive cycle showed; cleared by a cycle that handles
    // packets without an error.
    std::optional<std::pair<int, std::string>> shownCycleError_;
};

}  // namespace vostel
