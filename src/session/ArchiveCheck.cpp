#include "session/ArchiveCheck.h"

#include <cstdint>
#include <cstring>

#include "objects/ObjectSize.h"
#include "objects/ObjectTypeTable.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kSeriesOffset = 4;
constexpr std::size_t kPrologNibbles = 5;
// A Backup object: its prolog and a five-nibble length, then the archived directory.
constexpr std::size_t kBackupBodyNibble = kObjectStartNibble + 2 * kPrologNibbles;

std::uint32_t FieldAt(const std::string& bytes, std::size_t nibble) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < kPrologNibbles; ++i) {
        std::size_t at = nibble + i;
        auto byte = static_cast<unsigned char>(bytes[at / 2]);
        std::uint32_t unit = at % 2 == 0 ? (byte & 0x0Fu) : (byte >> 4);
        value |= unit << (4 * i);
    }
    return value;
}

bool HasNibbles(const std::string& bytes, std::size_t nibble) {
    return (nibble + kPrologNibbles + 1) / 2 <= bytes.size();
}

std::uint32_t Prolog(std::size_t index) {
    return ObjectTypeTable[index].prolog;
}

// The archive holds a Backup object whose body is a directory, or the directory itself.
bool HoldsDirectory(const std::string& bytes) {
    if (!HasNibbles(bytes, kObjectStartNibble)) {
        return false;
    }
    std::uint32_t outer = FieldAt(bytes, kObjectStartNibble);
    if (outer == Prolog(kDirectoryTypeIndex)) {
        return true;
    }
    constexpr std::size_t kBackupTypeIndex = 2;
    return outer == Prolog(kBackupTypeIndex) && HasNibbles(bytes, kBackupBodyNibble) &&
           FieldAt(bytes, kBackupBodyNibble) == Prolog(kDirectoryTypeIndex);
}

std::string Verdict(const std::string& bytes, const std::string& series) {
    if (bytes.empty()) {
        return "the file is empty";
    }
    if (bytes.size() < kHeaderBytes || bytes.compare(0, kSeriesOffset, "ZQZQ") != 0) {
        return "it is not a calculator file";
    }
    std::string fileSeries = bytes.substr(kSeriesOffset, 2);
    if (!series.empty() && fileSeries != series) {
        return "it was made by a " + fileSeries + " calculator, not a " + series;
    }
    if (!HoldsDirectory(bytes)) {
        return "it holds one variable, not a backup of the calculator's memory";
    }
    std::string measured = bytes;
    if (!ObjectSize(measured).success) {
        return "the archive is incomplete or damaged";
    }
    return {};
}

}  // namespace

ArchiveVerdict CheckArchiveFile(const std::string& path, const std::string& series) {
    std::string bytes;
    int error = 0;
    if (!ReadWholeFile(path, bytes, &error)) {
        return {"it cannot be read: " + std::string(std::strerror(error))};
    }
    return {Verdict(bytes, series)};
}

void RequireArchiveFile(const std::string& path, const std::string& series) {
    ArchiveVerdict verdict = CheckArchiveFile(path, series);
    if (!verdict.Restorable()) {
        RaiseError(FileNameOf(path) + " is not restored: " + verdict.reason +
                   ". The calculator was not changed.");
    }
}

}  // namespace vaddex
