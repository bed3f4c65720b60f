#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/ChildProcess.h"

namespace vaddex::test {

// The built zqsim as a process, serving until the object goes (then ended by its pid). Its
// first line of output names its port: a pty path, or with --usb the device name.
class ZqsimProcess {
public:
    // Blocks until zqsim has printed its first line; throws std::runtime_error when it does
    // not within a few seconds.
    explicit ZqsimProcess(const std::vector<std::string>& arguments = {},
                          const std::vector<std::pair<std::string, std::string>>& environment = {});
    ~ZqsimProcess();
    ZqsimProcess(const ZqsimProcess&) = delete;
    ZqsimProcess& operator=(const ZqsimProcess&) = delete;

    const std::string& Port() const { return port_; }
    // One line on zqsim's console; blocks until its answer has begun, when `answer` is given.
    void Console(const std::string& line, const std::string& answer = "");
    ChildProcess& Process() { return *child_; }

private:
    std::unique_ptr<ChildProcess> child_;
    std::string port_;
};

}  // namespace vaddex::test
