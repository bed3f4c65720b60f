#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QJsonDocument>

#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"

namespace vaddex::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the built vaddex-cli as a process, in a work folder of its own, with XDG_CONFIG_HOME
// and HOME in a private folder so that the user's settings are never read or touched.
class CliHarness {
public:
    static constexpr int kRunTimeoutMs = 120000;

    CliHarness();

    // The folder the program runs in; relative paths are relative to it.
    std::string Work(const std::string& name = "") const { return folder_.File("work/" + name); }

    // Writes the stored settings: lines of the Vaddex.conf file.
    void WriteSettings(const std::string& text) const;
    // The stored settings as the program left them; "" when there are none.
    std::string ReadSettings() const;
    // Sets (or replaces) a variable of the program's environment.
    void SetEnvironment(const std::string& name, const std::string& value);

    CliResult Run(const std::vector<std::string>& arguments) const;
    // Runs it with standard output on `output` (the test closes its own copy afterwards), or
    // with standard output closed when `output` is kClosedOutput; `out` of the result is
    // then empty.
    static constexpr int kClosedOutput = -2;
    CliResult RunWithOutput(const std::vector<std::string>& arguments, int output) const;
    // Starts it; `input` as in ChildOptions.
    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments,
                                        int input = -1) const;

private:
    TempDir folder_;
    std::vector<std::pair<std::string, std::string>> environment_;
};

// Parses JSON the program printed; a parse failure fails the test and gives a null document.
QJsonDocument ParseJson(const std::string& text);

std::string ReadFile(const std::string& path);

}  // namespace vaddex::test
