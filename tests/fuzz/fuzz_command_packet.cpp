// Command packets from the calculator, framed as length (two bytes), data and a one-byte sum:
// whatever comes, the session returns data of the announced length with a matching sum, taken
// from what came, or raises the connection error; it never reads past the bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "FuzzUi.h"
#include "link/CommLink.h"
#include "link/SerialPort.h"
#include "session/TXModemServer.h"

namespace {

// A port whose input is the fuzz bytes cut into bursts at each "\xA5\x5A": the calculator
// sends the next burst only once the PC has written something (its NAK), so that the PC's
// clearing of the input cannot swallow the repeat. Past a burst every read times out at once.
class MemoryPort : public vaddex::SerialPort {
public:
    explicit MemoryPort(const std::string& input) {
        std::size_t from = 0;
        for (std::size_t cut; (cut = input.find(kCut, from)) != std::string::npos;
             from = cut + kCut.size()) {
            bursts_.push_back(input.substr(from, cut - from));
        }
        bursts_.push_back(input.substr(from));
    }
    bool Configure(int) override { return true; }
    bool SetSpeed(int) override { return true; }
    vaddex::SerialTimeouts Timeouts() const override { return timeouts_; }
    bool SetTimeouts(const vaddex::SerialTimeouts& t) override {
        timeouts_ = t;
        return true;
    }
    long Read(char* data, std::size_t count) override {
        const std::string& burst = bursts_[current_];
        std::size_t n = std::min(count, burst.size() - at_);
        std::copy_n(burst.data() + at_, n, data);
        at_ += n;
        return static_cast<long>(n);
    }
    long Write(const char*, std::size_t count) override {
        if (current_ + 1 < bursts_.size()) {
            ++current_;
            at_ = 0;
        }
        return static_cast<long>(count);
    }
    bool PurgeInput() override { return true; }

    static inline const std::string kCut = "\xA5\x5A";

private:
    std::vector<std::string> bursts_;
    std::size_t current_ = 0;
    std::size_t at_ = 0;
    vaddex::SerialTimeouts timeouts_;
};

unsigned Sum(const std::string& data) {
    unsigned sum = 0;
    for (unsigned char c : data) {
        sum += c;
    }
    return sum & 0xFF;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A sound packet comes last, as the calculator's repeat after a NAK would: the retries are
    // exercised, and only inputs that use up every try pay for the disconnect.
    const std::string input = std::string(reinterpret_cast<const char*>(data), size) +
                              MemoryPort::kCut + std::string("\0\3end", 5) +
                              static_cast<char>(Sum("end"));
    vaddex::CalculatorState state;
    vaddex::fuzz::FuzzUi ui(state);
    vaddex::CommLink link(ui);
    vaddex::TXModemServer session(link, ui);
    link.OpenPortOn(std::make_unique<MemoryPort>(input), 115200);
    link.SetTiming({});  // no pauses between the retries
    std::string packet;
    try {
        packet = session.ReceivePacket();
    } catch (const std::exception&) {
        return 0;  // the connection error: a clean failure
    }
    std::string framed = std::string(1, static_cast<char>(packet.size() >> 8)) +
                         static_cast<char>(packet.size() & 0xFF) + packet +
                         static_cast<char>(Sum(packet));
    if (packet.size() > 0xFFFF || input.find(framed) == std::string::npos) {
        std::abort();
    }
    return 0;
}
