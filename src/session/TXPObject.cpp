#include "session/TXPObject.h"

#include <cstdint>
#include <utility>

namespace vaddex {
namespace {

// What the root reports beside its children: the calculator's own share of HOME.
constexpr int kRootOverhead = 100;

}  // namespace

TXPObject::TXPObject(std::string name, int typeCode, int size, TXPObject* parent,
                     TXModemServer* server)
    : Size(size), Parent(parent), Name(std::move(name)), TypeCode(typeCode), Server(server) {}

TXPObject::~TXPObject() {
    ClearChildren();
}

void TXPObject::MakeHome(TXModemServer& server) {
    Name = "HOME";
    TypeCode = kDirectoryTypeCode;
    TypeName = "Directory";
    Server = &server;
}

void TXPObject::ClearChildren() {
    // Each child clears its own children in its destructor.
    Children.clear();
}

std::string TXPObject::GetPath() const {
    if (Parent == nullptr) {
        return Name;
    }
    std::string parentPath = Parent->GetPath();
    return parentPath.empty() ? Name : parentPath + " " + Name;
}

int TXPObject::GetSize() const {
    if (Parent != nullptr) {
        return Size;
    }
    // Summed in 64 bits: a damaged listing may hold sizes near the 32-bit limit.
    long long total = kRootOverhead;
    for (const auto& child : Children) {
        total += child->Size;
    }
    return total > INT32_MAX ? INT32_MAX : static_cast<int>(total);
}

TXPObject& TXPObject::AddChild(std::unique_ptr<TXPObject> child) {
    child->Parent = this;
    Children.push_back(std::move(child));
    return *Children.back();
}

TXPObject* TXPObject::FindChild(const std::string& name) {
    return const_cast<TXPObject*>(std::as_const(*this).FindChild(name));
}

const TXPObject* TXPObject::FindChild(const std::string& name) const {
    for (const auto& child : Children) {
        if (child->Name == name) {
            return child.get();
        }
    }
    return nullptr;
}

}  // namespace vaddex
