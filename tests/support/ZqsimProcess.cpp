#include "support/ZqsimProcess.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <stdexcept>

namespace vaddex::test {
namespace {

constexpr int kZqsimStartMs = 10000;

}  // namespace

ZqsimProcess::ZqsimProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::pair<std::string, std::string>>& environment) {
    ChildOptions options;
    options.argv.push_back(ZQSIM_PATH);
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.environment = environment;
    child_ = std::make_unique<ChildProcess>(options);
    if (!child_->WaitForOut("\n", kZqsimStartMs)) {
        throw std::runtime_error("zqsim printed no port: " + child_->Err());
    }
    port_ = child_->Out().substr(0, child_->Out().find('\n'));
}

ZqsimProcess::~ZqsimProcess() {
    child_->Signal(SIGTERM);
    child_->Wait(kZqsimStartMs);
}

void ZqsimProcess::Console(const std::string& line, const std::string& answer) {
    child_->WriteInput(line + "\n");
    if (!answer.empty()) {
        EXPECT_TRUE(child_->WaitForOut(answer, kZqsimStartMs)) << child_->Out();
    }
}

}  // namespace vaddex::test
