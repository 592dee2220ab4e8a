#pragma once
// One file of a run of the comparison: its path, the keys that order the run, and the file
// itself, opened once for everything the comparison reads of it.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/FileContent.h"

struct TAheadResult;

class TRunEntry {
public:
    explicit TRunEntry(std::string path, int index = -1) : Path(std::move(path)), Index(index) {}

    std::string Path;
    int Index;                    // in the catalogue: names the file's job for the readers
    bool Ahead = false;           // handed to the readers and not taken back yet
    bool Signed = false;          // Signature came with a reader's result
    std::uint32_t Signature = 0;  // size mode: stamp or checksum
    std::string NameKey;          // name mode: the name in ASCII upper case
    // Which file the path names (device and inode), once the comparison has looked.
    bool Identified = false;
    std::uint64_t Device = 0, Inode = 0;

    // The file, opened on first use; null when it cannot be opened (not tried again until
    // Close).
    const TFileContent* Open();
    // The last Open failed for want of a file descriptor only.
    bool OutOfDescriptors() const { return FContent && FContent->OutOfDescriptors(); }
    // The file's first bytes (ReadHead), read once while it stays open; null when they cannot
    // be read.
    const std::string* Head(std::int64_t size);
    // The head when it has been read already, else null.
    const std::string* CachedHead() const { return FHeadState == THead::hRead ? &FHead : nullptr; }
    // The file when it is open now, else null.
    const TFileContent* Content() const
    {
        return FContent && FContent->IsOpen() ? FContent.get() : nullptr;
    }
    void Close();
    // Takes over what a reader found: the signature, the head, the file still open.
    void Adopt(TAheadResult&& result);

private:
    std::unique_ptr<TFileContent> FContent;
    bool FOpenFailed = false;
    std::string FHead;
    enum class THead : unsigned char { hNone, hRead, hFailed } FHeadState = THead::hNone;
};
