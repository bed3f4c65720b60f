#include "cli/CliHarness.h"

#include <gtest/gtest.h>

#include <QJsonParseError>
#include <filesystem>

#include "util/FileIo.h"

namespace vaddex::test {

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

std::string CliHarness::ReadSettings() const {
    std::string text;
    ReadWholeFile(folder_.File("config/Zenquist/Vaddex.conf"), text);
    return text;
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

CliResult CliHarness::RunWithOutput(const std::vector<std::string>& arguments, int output) const {
    ChildOptions options;
    if (output == kClosedOutput) {
        options.argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >&-"};
    } else {
        options.output = output;
    }
    options.argv.push_back(VADDEX_CLI_PATH);
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.environment = environment_;
    options.folder = Work();
    ChildProcess child(options);
    child.CloseInput();
    CliResult result;
    result.status = child.Wait(kRunTimeoutMs);
    result.out = child.Out();
    result.err = child.Err();
    return result;
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
