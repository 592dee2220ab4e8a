#pragma once
// Whole-file reads and writes for the list files.
#include <string>
#include <string_view>

// Reads a regular file whole. False (and `contents` emptied) when the path is missing, is no
// regular file (a folder, a FIFO that would block, a device) or a read fails.
bool ReadWholeFile(const std::string& nativePath, std::string& contents);

// Replaces the file with `contents`: written to a new file in the same folder, flushed, then
// renamed over the old one, so a full disk or an I/O error never leaves a truncated file. A
// symbolic link is followed and its target replaced. Where the folder allows no new file but
// the file itself is writable, it is overwritten in place. False on any failure.
bool WriteWholeFile(const std::string& nativePath, std::string_view contents);
