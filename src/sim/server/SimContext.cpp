#include "sim/server/SimContext.h"

#include <cmath>

namespace zqsim {
namespace {

constexpr std::size_t kFileHeaderSize = 8;

}  // namespace

std::int64_t SimContext::Scaled(std::int64_t calculatorMs) const {
    double scaled = static_cast<double>(calculatorMs) * options.timeScale;
    return scaled <= 0 ? 0 : static_cast<std::int64_t>(std::llround(scaled));
}

bool StoreReceivedFile(SimContext& context, const std::string& name, const std::string& file) {
    // Only binary object files carry the header; anything else holds no object to store.
    bool stored = false;
    if (file.size() > kFileHeaderSize && file.compare(0, 4, "ZQZQ") == 0) {
        std::string object = file.substr(kFileHeaderSize);
        stored = context.WithModel(
            [&](CalculatorModel& model) { return model.StoreObject(name, object); });
        if (stored) {
            context.stats.Update([&](SimStats& s) {
                ++s.objectsStored;
                s.lastStoredName = name;
                s.lastStoredObject = object;
                s.lastOutcome = "stored " + name;
            });
        }
    }
    if (!stored) {
        context.link.Note("nothing stored under " + name);
        context.stats.Update([&](SimStats& s) {
            ++s.storeFailures;
            s.lastOutcome = "not an object: " + name;
        });
    }
    return stored;
}

}  // namespace zqsim
