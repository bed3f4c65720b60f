#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/CalculatorModel.h"

namespace zqsim::test {

// A calculator brain small enough to reason about: variables as raw bytes, a line "N WAIT"
// that works N seconds, and "ARCHIVE" that transmits the whole memory file.
class FakeCalculator : public CalculatorModel {
public:
    explicit FakeCalculator(Personality personality = Personality::K8)
        : personality_(personality) {}

    Personality GetPersonality() const override { return personality_; }
    std::string SeriesCode() const override;
    std::string FileHeader() const override { return "ZQZQ" + SeriesCode() + "-R"; }
    std::string ServerVersion() const override { return "FAKE SERVER 1.0"; }
    std::string FreeMemoryText() const override { return "12345.5"; }
    std::string Listing() const override;
    std::optional<std::string> RecallFile(const std::string& name) override;
    bool StoreObject(const std::string& name, const std::string& objectBytes) override;
    ExecResult Execute(const std::string& commandLine) override;
    std::vector<std::string> DisplayLines() const override { return display; }

    std::map<std::string, std::string> variables;
    std::vector<std::string> executed;
    std::vector<std::string> display = {"1: 42"};

private:
    Personality personality_;
};

}  // namespace zqsim::test
