#include "FakeCalculator.h"

#include <sstream>

namespace zqsim::test {

std::string FakeCalculator::SeriesCode() const {
    return personality_ == Personality::K7 ? "K7" : "K8";
}

std::string FakeCalculator::Listing() const {
    // Every variable as a string object (prolog 02A2C) of two nibbles per byte.
    std::string listing;
    for (const auto& [name, bytes] : variables) {
        std::size_t nibbles = bytes.size() * 2;
        listing += static_cast<char>(name.size());
        listing += name;
        listing += std::string{'\x2C',
                               '\x2A',
                               static_cast<char>(nibbles & 0xFF),
                               static_cast<char>((nibbles >> 8) & 0xFF),
                               0,
                               0,
                               0};
    }
    return listing;
}

std::optional<std::string> FakeCalculator::RecallFile(const std::string& name) {
    auto found = variables.find(name);
    if (found == variables.end()) {
        return std::nullopt;
    }
    return FileHeader() + found->second;
}

bool FakeCalculator::StoreObject(const std::string& name, const std::string& objectBytes) {
    if (objectBytes.empty()) {
        return false;
    }
    variables[name] = objectBytes;
    return true;
}

ExecResult FakeCalculator::Execute(const std::string& commandLine) {
    executed.push_back(commandLine);
    ExecResult result;
    std::istringstream words(commandLine);
    double seconds = 0;
    std::string word;
    if (words >> seconds >> word && word == "WAIT") {
        result.busyMs = static_cast<std::int64_t>(seconds * 1000);
    }
    if (commandLine == "ARCHIVE") {
        std::string all;
        for (const auto& entry : variables) {
            all += entry.second;
        }
        result.transmit = FileHeader() + all;
    }
    return result;
}

}  // namespace zqsim::test
