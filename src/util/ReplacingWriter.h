#pragma once

#include <string>
#include <string_view>

namespace vaddex {

// Writes a user's file whole or not at all. A regular file (or a missing one) gets the data
// in a temporary file beside it, moved over it only once complete, so a failure leaves the
// target exactly as it was. A symbolic link is written through to the file it names; a FIFO
// or character device is written directly, as cp does; any other kind of target is refused
// and left alone. The temporary name has a fixed length, so the longest file names work.
class ReplacingWriter {
public:
    explicit ReplacingWriter(std::string path);

    // Blocks until the data is in place (synced to disk for a file); false on failure, after
    // which ErrorCode and ErrorText say why and the target is as it was.
    bool Write(std::string_view data);

    // Whether Write could place the data, checked before it exists (by making and removing a
    // temporary file beside a file target), so that a long transfer is not lost at its end.
    // False with ErrorCode and Refusal set as Write would set them.
    bool CanWrite();

    // The system error code of the failure (EISDIR, EINVAL or ENXIO for a refused target).
    int ErrorCode() const { return errorCode_; }
    // Why a target was refused ("is a folder", ...); empty for a failure of the system.
    const std::string& Refusal() const { return refusal_; }

    // Removes the temporary files of writes still in progress, and blocks every later write
    // for good; only for a process that is about to end without running its destructors.
    static void AbandonUnfinished();

private:
    bool Fail(int code, std::string refusal = {});
    // Follows the links to the target and tells how it is written; false (failed) when it
    // cannot be.
    bool Examine(std::string& target, bool& device);
    bool ReplaceFile(const std::string& target, std::string_view data);
    bool WriteDevice(const std::string& target, std::string_view data);

    std::string path_;
    int errorCode_ = 0;
    std::string refusal_;
};

}  // namespace vaddex
