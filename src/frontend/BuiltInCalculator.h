#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace zqsim {
class SimCalculator;
class SimServer;
}  // namespace zqsim

namespace vaddex::frontend {

// A simulated calculator model that does not exist ("sim:K9").
class UnknownSimModel : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The simulated calculator with its demo memory ("-p sim", "vaddex --sim"), served in this
// process on a pseudo-terminal, or for "sim:K8G+" on a FIFO pair in a
// private $VADDEX_USB_ROOT. It also plays the calculator's side of the manual commands.
class BuiltInCalculator {
public:
    // True for "sim" and "sim:MODEL" (any case).
    static bool IsSimPort(const std::string& port);

    // Starts serving. Throws UnknownSimModel for an unknown model, std::runtime_error when the
    // stream cannot be made.
    explicit BuiltInCalculator(const std::string& port);
    // Stops serving, removes the FIFO folder and puts $VADDEX_USB_ROOT back.
    ~BuiltInCalculator();
    BuiltInCalculator(const BuiltInCalculator&) = delete;
    BuiltInCalculator& operator=(const BuiltInCalculator&) = delete;

    // The pty slave path or the USB device name to open.
    std::string PortName() const;
    // The private folder of the FIFO pair; empty on a pty.
    const std::string& UsbRoot() const { return usbRoot_; }

    // The calculator's own commands, started as its user would (names in calculator bytes):
    // XRECV into a variable, XSEND of one, the screen (after a short delay), the ROM loader.
    void PlayXRecv(const std::string& name);
    void PlayXSend(const std::string& name);
    void PlayScreen();
    void PlayRom();
    // What the calculator's user does when the operator prompt of this kind asks for it;
    // `name` is the variable that XRECV stores into or XSEND sends. Nothing for other kinds.
    void PlayPrompt(int kind, const std::string& name);
    // Whether the current directory holds the variable (calculator bytes). Only while no
    // transfer runs: the memory is the serving thread's otherwise.
    bool HasVariable(const std::string& name) const;

private:
    void RemoveUsbRoot();

    bool firstSeries_ = false;
    std::string usbRoot_;
    std::optional<std::string> previousUsbRoot_;
    std::unique_ptr<zqsim::SimCalculator> calculator_;
    std::unique_ptr<zqsim::SimServer> server_;
};

}  // namespace vaddex::frontend
