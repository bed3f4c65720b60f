#pragma once

#include <string>
#include <string_view>

namespace vaddex {

// Reads the whole file into `out` (bytes as stored). On failure returns false, leaves `out`
// empty and stores the system error code in *error when given.
bool ReadWholeFile(const std::string& path, std::string& out, int* error = nullptr);

// Replaces the file with exactly `data`, or leaves it as it was (ReplacingWriter). Blocks
// until written; on failure stores the system error code in *error when given.
bool WriteWholeFile(const std::string& path, std::string_view data, int* error = nullptr);

// WriteWholeFile for a file the user named; blocks until written. Raises "Unable to write
// file " + path + ": " + the system's reason, or for a target of a kind that is never replaced
// (a folder, a block device) a text that says so.
void WriteUserFile(const std::string& path, std::string_view data);

// Raises what WriteUserFile would when the file could not be written there at all, checked
// before its data exists; nothing is created.
void RequireWritable(const std::string& path);

// True when the path names a regular file, through symbolic links.
bool IsRegularFile(const std::string& path);

// True when a file (of any kind) exists at the path.
bool FileExists(const std::string& path);

// Deletes the file if it exists; true when it is gone afterwards.
bool DeleteFileIfExists(const std::string& path);

// The last path component ("a/b/c.zq" gives "c.zq").
std::string FileNameOf(const std::string& path);

// Everything up to and including the last "/" ("a/b/c.zq" gives "a/b/"; "c" gives "").
std::string FolderOf(const std::string& path);

}  // namespace vaddex
