#include "cli/CliHarness.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonParseError>
#include <filesystem>
#include <stdexcept>

#include "util/FileIo.h"

namespace vaddex::test {
namespace {

constexpr int kZqsimStartMs = 10000;

}  // namespace

CliHarness::CliHarness() {
    for (const char* name : {"work", "config", "home"}) {
        std::filesystem::create_directories(folder_.File(name));
    }
    environment_ = {{"XDG_CONFIG_HOME", folder_.File("config")},
                    {"HOME", folder_.File("home")},
                    {"VADDEX_EXTRA_PORTS", ""}};
}

void CliHarness::SetEnvironment(const std::string& name, const std::string& value) {
    for (auto& entry : environment_) {
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    }
    environment_.emplace_back(name, value);
}

void CliHarness::WriteSettings(const std::string& text) const {
    std::filesystem::create_directories(folder_.File("config/Zenquist"));
    WriteWholeFile(folder_.File("config/Zenquist/Vaddex.conf"), text);
}

std::unique_ptr<ChildProcess> CliHarness::Start(const std::vector<std::string>& arguments,
                                                int input) const {
    ChildOptions options;
    options.argv.push_back(VADDEX_CLI_PATH);
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.environment = environment_;
    options.folder = Work();
    options.input = input;
    return std::make_unique<ChildProcess>(options);
}

CliResult CliHarness::Run(const std::vector<std::string>& arguments) const {
    std::unique_ptr<ChildProcess> child = Start(arguments);
    child->CloseInput();
    CliResult result;
    result.status = child->Wait(kRunTimeoutMs);
    result.out = child->Out();
    result.err = child->Err();
    return result;
}

ZqsimProcess::ZqsimProcess(const std::vector<std::string>& arguments) {
    ChildOptions options;
    options.argv.push_back(ZQSIM_PATH);
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
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

QJsonDocument ParseJson(const std::string& text) {
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document;
}

std::string ReadFile(const std::string& path) {
    std::string content;
    ReadWholeFile(path, content);
    return content;
}

}  // namespace vaddex::test
