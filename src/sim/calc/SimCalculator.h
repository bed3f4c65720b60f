#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/CalculatorModel.h"

namespace zqsim {

class SimMachine;

// How the simulated calculator is set up.
struct SimCalculatorOptions {
    // Calculator time every command line costs at least, in ms (ExecResult.busyMs).
    std::int64_t busyMsPerCommand = 150;
    // Total user memory in bytes; free memory is this minus HOME's objects and the stack.
    std::int64_t memoryBytes = 32 * 1024;
    // Start with the demo memory (a few variables and directories) or with an empty HOME.
    bool demoMemory = true;
    // Initial states of the flags -36 (overwrite on receive) and -51 (comma as decimal mark).
    bool flag36 = true;
    bool flag51 = false;
    // What IOPAR answers: baud, parity, receive pacing, transmit pacing, checksum, translation.
    std::vector<int> ioParameters = {9600, 0, 0, 0, 3, 1};
};

// One variable or directory of the memory, as the tests look at it.
struct SimVariableInfo {
    std::string path;      // the holding directory, "HOME" or "HOME A B"
    std::string name;      // calculator bytes
    std::string typeName;  // "Real", "String", "Directory", ... ("" for an unknown prolog)
    std::uint32_t prolog = 0;
    std::string nibbles;  // the exact object, one nibble (0..15) per char
    std::string bytes;    // the same packed two per byte, low half first
};

// The simulated calculator: memory tree, objects in the nibble format, RPL interpreter and
// the server's answers. Lists, snapshots and the listing show a directory's variables
// newest first, the order of the calculator's VAR menu.
class SimCalculator : public CalculatorModel {
public:
    explicit SimCalculator(Personality personality, const SimCalculatorOptions& options = {});
    ~SimCalculator() override;
    SimCalculator(const SimCalculator&) = delete;
    SimCalculator& operator=(const SimCalculator&) = delete;

    Personality GetPersonality() const override;
    std::string SeriesCode() const override;
    std::string FileHeader() const override;
    std::string ServerVersion() const override;
    std::string FreeMemoryText() const override;
    std::string Listing() const override;
    std::optional<std::string> RecallFile(const std::string& name) override;
    bool StoreObject(const std::string& name, const std::string& objectBytes) override;
    ExecResult Execute(const std::string& commandLine) override;
    std::vector<std::string> DisplayLines() const override;

    // --- control API for tests and the server's manual modes ---

    // Every variable and directory, depth first, a directory before its content.
    std::vector<SimVariableInfo> Snapshot() const;
    // The object at a path such as "HOME A X" (packed bytes, no header); nullopt if none.
    std::optional<std::string> FindObject(const std::string& path) const;
    // Stores packed object bytes (no header, padding allowed) at a path such as "HOME A X";
    // the directories on the way must exist. False when it cannot be stored.
    bool StoreAt(const std::string& path, const std::string& objectBytes);
    void SetFlag(int number, bool set);  // -64..-1 system, 1..64 user
    bool Flag(int number) const;
    // The stack as →STR texts, level 1 last.
    std::vector<std::string> StackTexts() const;
    // The current directory as a path text, "HOME A".
    std::string CurrentPath() const;
    // Free memory in nibbles.
    std::int64_t FreeNibbles() const;
    // Back to the demo memory or to an empty HOME; also clears the stack and the display,
    // resets the flags to their defaults and makes HOME current.
    void ResetToDemo();
    void ResetToEmpty();

private:
    std::unique_ptr<SimMachine> machine_;
};

}  // namespace zqsim
