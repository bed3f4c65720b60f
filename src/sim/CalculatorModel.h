#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zqsim {

// The calculators the simulator can play.
enum class Personality {
    K7,       // first series: "ZQZQK7" files, a "Revision #" version text
    K8,       // second series, version text containing "#1.1"
    K7GII,    // second series without "#1.1" (identified as K7GII above 16000 bit/s)
    K8GPlus,  // second series on the USB device (FIFO pair)
};

// What evaluating one command line did, beyond changing the calculator's memory.
struct ExecResult {
    // Calculator time the evaluation took in milliseconds, before the server's time scale
    // (WAIT adds its seconds; every command line costs at least the configured busy time).
    std::int64_t busyMs = 0;
    // An object file (8-byte header + object) that the calculator sends by XModem once the
    // evaluation is done, as the archive program asks with ARCHIVE to :IO:.
    std::optional<std::string> transmit;
};

// The calculator's brain as the simulator's server sees it: memory, RPL evaluation and the
// server's answers. Names and command lines are in calculator bytes (0..255). Not thread-safe:
// the server serialises all calls.
class CalculatorModel {
public:
    virtual ~CalculatorModel();

    virtual Personality GetPersonality() const = 0;
    // "K7" or "K8".
    virtual std::string SeriesCode() const = 0;
    // The 8-byte binary file header of this calculator: "ZQZQ", series code, "-", a letter.
    virtual std::string FileHeader() const = 0;

    // Data of the answer packet to "V" (the server's own version text).
    virtual std::string ServerVersion() const = 0;
    // Data of the answer packet to "M": free memory in bytes as decimal text, with the
    // decimal mark that flag -51 selects.
    virtual std::string FreeMemoryText() const = 0;
    // Data of the answer packet to "l": the whole directory listing of HOME.
    virtual std::string Listing() const = 0;

    // "G": the named variable of the current directory as a binary object file (header and
    // object, nibbles packed low half first); nullopt when there is none.
    virtual std::optional<std::string> RecallFile(const std::string& name) = 0;
    // "P" and XRECV: stores an object received without its 8-byte header, padding of the last
    // block possibly behind it, under the name in the current directory. False when the bytes
    // hold no measurable object (nothing is stored then).
    virtual bool StoreObject(const std::string& name, const std::string& objectBytes) = 0;

    // "E": evaluates one RPL command line.
    virtual ExecResult Execute(const std::string& commandLine) = 0;

    // The text lines the calculator shows now (the stack, or what DISP wrote), top first;
    // used to paint the screen image.
    virtual std::vector<std::string> DisplayLines() const = 0;
};

}  // namespace zqsim
