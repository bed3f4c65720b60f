#include "sim/server/FaultPlan.h"

#include <sstream>
#include <stdexcept>

namespace zqsim {
namespace {

double ParseRate(const std::string& word, const std::string& value) {
    std::size_t used = 0;
    double rate = -1;
    try {
        rate = std::stod(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != value.size() || !(rate >= 0.0 && rate <= 1.0)) {
        throw std::invalid_argument("bad fault rate (0 to 1): " + word);
    }
    return rate;
}

std::int64_t ParseCount(const std::string& word, const std::string& value) {
    std::size_t used = 0;
    long long count = -1;
    try {
        count = std::stoll(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != value.size() || count < 0) {
        throw std::invalid_argument("bad fault count: " + word);
    }
    return count;
}

}  // namespace

FaultPlan ParseFaultPlan(const std::string& text) {
    FaultPlan plan;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        if (word == "none") {
            continue;
        }
        std::size_t eq = word.find('=');
        if (eq == std::string::npos) {
            throw std::invalid_argument("fault word without '=': " + word);
        }
        std::string key = word.substr(0, eq);
        std::string value = word.substr(eq + 1);
        if (key == "seed") {
            plan.seed = static_cast<std::uint64_t>(ParseCount(word, value));
        } else if (key == "corrupt-in") {
            plan.corruptIn = ParseRate(word, value);
        } else if (key == "corrupt-out") {
            plan.corruptOut = ParseRate(word, value);
        } else if (key == "corrupt") {
            plan.corruptIn = plan.corruptOut = ParseRate(word, value);
        } else if (key == "drop-in") {
            plan.dropIn = ParseRate(word, value);
        } else if (key == "drop-out") {
            plan.dropOut = ParseRate(word, value);
        } else if (key == "drop") {
            plan.dropIn = plan.dropOut = ParseRate(word, value);
        } else if (key == "lose-ack") {
            plan.loseAckBlock = static_cast<int>(ParseCount(word, value));
        } else if (key == "bad-packet") {
            plan.badPacketChecksums = static_cast<int>(ParseCount(word, value));
        } else if (key == "silence-after") {
            plan.silenceAfterBytes = ParseCount(word, value);
        } else if (key == "pull-after") {
            plan.pullAfterBytes = ParseCount(word, value);
        } else {
            throw std::invalid_argument("unknown fault: " + word);
        }
    }
    return plan;
}

std::string DescribeFaultPlan(const FaultPlan& plan) {
    std::ostringstream out;
    auto rate = [&out](const char* key, double value) {
        if (value > 0) {
            out << ' ' << key << '=' << value;
        }
    };
    auto count = [&out](const char* key, std::int64_t value, std::int64_t none) {
        if (value != none) {
            out << ' ' << key << '=' << value;
        }
    };
    count("seed", static_cast<std::int64_t>(plan.seed), 0);
    rate("corrupt-in", plan.corruptIn);
    rate("corrupt-out", plan.corruptOut);
    rate("drop-in", plan.dropIn);
    rate("drop-out", plan.dropOut);
    count("lose-ack", plan.loseAckBlock, 0);
    count("bad-packet", plan.badPacketChecksums, 0);
    count("silence-after", plan.silenceAfterBytes, -1);
    count("pull-after", plan.pullAfterBytes, -1);
    std::string text = out.str();
    return text.empty() ? "none" : text.substr(1);
}

}  // namespace zqsim
