#include "app/mdl_main.h"

#include <new>

#include "library/ocr.h"
#include "runtime/checked16.h"

namespace vostel {

mdlMain::mdlMain(MainForm& form, SerialControl& com1, Prompts& prompts, NamingPrompt& naming,
                 KeystrokeSender& keys, Clock& clock, std::filesystem::path libraryFile)
    : form_(form),
      prompts_(prompts),
      libraryFile_(std::move(libraryFile)),
      naming_(naming),
      comPort_(com1, prompts),
      action_(keys),
      holdOff_(clock) {}

mdlMain::~mdlMain() = default;

RuntimeError mdlMain::currentError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError(kErrOutOfMemory);
    } catch (const std::exception& e) {
        return RuntimeError(kErrInternalError, std::string("Internal error: ") + e.what());
    } catch (...) {
        return RuntimeError(kErrInternalError);
    }
}

void mdlMain::showError(const RuntimeError& error) {
    prompts_.msgBox(error.boxMessage(), kErrorBoxStyle, "Vostel");
}

OCR& mdlMain::library() {
    if (!ocr_) throw RuntimeError(kErrObjectNotSet);
    return *ocr_;
}

bool mdlMain::Main() {
    form_.showForm();
    if (!comPort_.Init()) return false;
    visuals_.Init(form_.drawingArea());
    busy_ = false;
    form_.enableTimer1();
    ocr_ = std::make_unique<OCR>(naming_, libraryFile_);
    return true;
}

mdlMain::StartResult mdlMain::startUp() {
    try {
        return Main() ? StartResult::Running : StartResult::Ended;
    } catch (...) {
        showError(currentError());
        return StartResult::Failed;
    }
}

void mdlMain::receiveCycle() {
    if (busy_) return;
    busy_ = true;
    inputRead_ = false;
    recording_ = false;
    packetsHandled_ = 0;
    const std::string input = comPort_.getDataAsString();
    inputRead_ = true;
    if (input.empty()) {
        busy_ = false;
        return;
    }
    decoder_.setData(input);
    while (decoder_.packetIsLeft()) {
        const OptPacket packet = decoder_.getNextPacket();
        if (!packet) throw RuntimeError(kErrSubscript);
        visuals_.drawPacket(*packet);
        handlePacket(*packet);
        ++packetsHandled_;
    }
    busy_ = false;
}

void mdlMain::handlePacket(const Packet& thePacket) {
    OCR& ocr = library();
    if (recordCount_ > 0) {
        recordCount_ = sub16(recordCount_, 1);
        recording_ = true;
        ocr.Record(thePacket);
        recording_ = false;
    }
    std::string id;
    if (!ocr.findID(thePacket, id)) return;

    if (!holdOff_.passed()) return;

    form_.prependLog(id);
    action_.doAction(id);
    holdOff_.noteAction();
}

void mdlMain::armRecording() { recordCount_ = 1; }

void mdlMain::loadLibrary() { library().loadIRData(); }

void mdlMain::Timer1_Timer() {
    if (busy_) return;  // a cycle is under way (its naming dialog or error box is open)
    try {
        receiveCycle();
        // Only a cycle that handled packets cleanly makes the last error worth
        // showing again; a tick that read nothing proves nothing.
        if (packetsHandled_ > 0) shownCycleError_.reset();
    } catch (const FramingError&) {
        // Framing errors come from the input itself and are part of ordinary operation.
        busy_ = false;
    } catch (...) {
        const RuntimeError error = currentError();
        // A lost port is reported by the serial control once per loss, so its
        // error is always shown. A failed recording is always shown: it happens
        // once per press of Record, and a record that could not be saved exists
        // only in memory. Other errors (a faulty key description, pressed again
        // and again) are shown once, until a cycle handles packets cleanly.
        std::pair<int, std::string> key{error.number(), error.text()};
        if (!inputRead_ || recording_) {
            showError(error);
        } else if (shownCycleError_ != key) {
            shownCycleError_ = std::move(key);
            showError(error);  // busy stays set while the box is open
        }
        busy_ = false;
    }
}

void mdlMain::butRec_Click() { armRecording(); }

void mdlMain::btnLoadIRData_Click() {
    try {
        loadLibrary();
    } catch (...) {
        // The library keeps what it had; the session goes on.
        showError(currentError());
    }
}

}  // namespace vostel
