#include "sim/calc/SimCalculator.h"

#include "sim/calc/CommandTable.h"
#include "sim/calc/DemoMemory.h"
#include "sim/calc/NibbleFields.h"
#include "sim/calc/ObjectCodec.h"
#include "sim/calc/ObjectWalker.h"
#include "sim/calc/SimMachine.h"

namespace zqsim {

namespace {

constexpr std::size_t kMaxNameLength = 255;

// A received object: the padding behind it is cut by the series' own size walk.
ObjPtr ReceivedObject(const std::string& objectBytes, int rowCount) {
    std::string nibbles = BytesToNibbles(objectBytes);
    auto end = MeasureObjectAt(nibbles, 0, rowCount);
    if (!end) {
        return nullptr;
    }
    ObjPtr object = DecodeObject(std::string_view(nibbles).substr(0, *end), rowCount);
    // A directory the decoder could not follow would make the listing lie.
    if (!object || (object->Prolog() == kPrologDirectory && !object->IsDirectory())) {
        return nullptr;
    }
    return object;
}

bool StoreIn(SimMachine& machine, const DirPath& path, const std::string& name,
             const ObjPtr& object) {
    SimMemory& memory = machine.Memory();
    ObjPtr dir = memory.DirectoryAt(path);
    Cmd word;
    // A command word is no name to the calculator's reader, so nothing could reach it again.
    if (!object || !dir || name.empty() || name.size() > kMaxNameLength ||
        FindCommand(name, word)) {
        return false;
    }
    const DirEntry* existing = dir->FindEntry(name);
    if (existing && existing->object->IsDirectory()) {
        return false;
    }
    try {
        machine.CommitHome(memory.WithEntry(path, name, object));
    } catch (const std::exception&) {
        return false;  // no room
    }
    return true;
}

}  // namespace

SimCalculator::SimCalculator(Personality personality, const SimCalculatorOptions& options)
    : machine_(std::make_unique<SimMachine>(personality, options)) {
    if (options.demoMemory) {
        ResetToDemo();
    }
}

SimCalculator::~SimCalculator() = default;

Personality SimCalculator::GetPersonality() const {
    return machine_->Info().personality;
}

std::string SimCalculator::SeriesCode() const {
    return machine_->Info().seriesCode;
}

std::string SimCalculator::FileHeader() const {
    return machine_->FileHeader();
}

std::string SimCalculator::ServerVersion() const {
    return machine_->Info().serverVersion;
}

std::string SimCalculator::FreeMemoryText() const {
    auto value = RealNumber::FromLongDouble(static_cast<long double>(FreeNibbles()) / 2);
    return value.value_or(RealNumber()).ToText(machine_->DecimalMark());
}

std::string SimCalculator::Listing() const {
    return machine_->Memory().Listing();
}

std::optional<std::string> SimCalculator::RecallFile(const std::string& name) {
    ObjPtr object = machine_->Memory().Find(name);
    if (!object) {
        return std::nullopt;
    }
    return FileHeader() + NibblesToBytes(EncodeObject(*object));
}

bool SimCalculator::StoreObject(const std::string& name, const std::string& objectBytes) {
    ObjPtr object = ReceivedObject(objectBytes, machine_->Info().prologRows);
    return StoreIn(*machine_, machine_->Memory().Current(), name, object);
}

ExecResult SimCalculator::Execute(const std::string& commandLine) {
    return machine_->Execute(commandLine);
}

std::vector<std::string> SimCalculator::DisplayLines() const {
    return machine_->DisplayLines();
}

std::vector<SimVariableInfo> SimCalculator::Snapshot() const {
    return machine_->Memory().Snapshot();
}

std::optional<std::string> SimCalculator::FindObject(const std::string& path) const {
    auto split = SimMemory::SplitPath(path);
    if (!split) {
        return std::nullopt;
    }
    ObjPtr dir = machine_->Memory().DirectoryAt(split->first);
    const DirEntry* entry = dir ? dir->FindEntry(split->second) : nullptr;
    if (!entry) {
        return std::nullopt;
    }
    return NibblesToBytes(EncodeObject(*entry->object));
}

bool SimCalculator::StoreAt(const std::string& path, const std::string& objectBytes) {
    auto split = SimMemory::SplitPath(path);
    if (!split) {
        return false;
    }
    ObjPtr object = ReceivedObject(objectBytes, machine_->Info().prologRows);
    return StoreIn(*machine_, split->first, split->second, object);
}

void SimCalculator::SetFlag(int number, bool set) {
    machine_->Flags().Set(number, set);
}

bool SimCalculator::Flag(int number) const {
    return machine_->Flags().Get(number);
}

std::vector<std::string> SimCalculator::StackTexts() const {
    std::vector<std::string> texts;
    for (const ObjPtr& object : machine_->Stack()) {
        texts.push_back(machine_->Text(*object));
    }
    return texts;
}

std::string SimCalculator::CurrentPath() const {
    return machine_->Memory().CurrentText();
}

std::int64_t SimCalculator::FreeNibbles() const {
    return machine_->FreeNibbles();
}

void SimCalculator::ResetToDemo() {
    machine_->Reset(DemoHome());
}

void SimCalculator::ResetToEmpty() {
    machine_->Reset(SimObject::MakeDirectory({}));
}

}  // namespace zqsim
