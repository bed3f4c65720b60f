// The directory listing from the calculator: whatever the bytes, the parser never reads past
// them, its cursor ends inside or just after them, and no item has a negative size.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzUi.h"
#include "link/CommLink.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"

namespace {

struct Session {
    vaddex::CalculatorState state;
    vaddex::fuzz::FuzzUi ui{state};
    vaddex::CommLink link{ui};
    vaddex::TXModemServer server{link, ui};
};

void Check(const vaddex::TXPObject& node, int depth) {
    for (const auto& child : node.Children) {
        if (child->Size < 0 || child->Parent != &node || child->Name.empty()) {
            std::abort();
        }
        Check(*child, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Session session;
    const std::string input(reinterpret_cast<const char*>(data), size);
    vaddex::TXPObject root("HOME", vaddex::kDirectoryTypeCode, 0, nullptr, &session.server);
    std::size_t cursor = 1;
    session.server.ParseListing(root, input, cursor);
    if (cursor < 1 || cursor > input.size() + 1) {
        std::abort();
    }
    Check(root, 0);
    return 0;
}
