#pragma once
// Reader threads that read ahead of the comparison: the opened files and their heads, of the
// run entries that the comparison will come to next.
//
// The window thread hands out jobs and takes their results back, one file at a time, keyed by
// the file's catalogue index; it still decides every match itself. A result only spares it
// work: whatever a reader could not do (the file could not be opened, descriptors ran out, the
// job was not started yet) the window thread does itself, as without readers. Readers touch no
// window, no row and no shared list; all they see is a path and a size.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/FileContent.h"

// The reader threads a comparison starts with: ZARVEX_READERS when set (1: none, the window
// thread reads everything itself), else the number of cores, at least 2.
std::size_t DefaultReaderThreads();
// The reader threads a comparison grows to while files come from the disk rather than from the
// page cache: a reader mostly waits for the disk then, and more of them keep it busy.
inline constexpr std::size_t kDiskReaderThreads = 16;

struct TAheadJob {
    int Index = 0;  // in the catalogue
    std::string Path;
    std::int64_t Size = 0;
    bool KeepOpen = false;     // hand the opened file over, rather than closing it after the head
    bool Sign = true;          // the head's checksum is the signature (not for a sub-run's files)
    bool Urgent = false;       // the window thread comes to it next: ahead of the queue
    std::uint64_t Serial = 0;  // set when handed out
};

struct TAheadResult {
    bool Signed = false;  // Signature holds the checksum
    std::uint32_t Signature = 0;
    std::unique_ptr<TFileContent> Content;  // the file, still open (KeepOpen)
    bool HeadRead = false;
    std::string Head;
    bool FromDisk = false;  // the head was not in the page cache
};

class TReadAhead {
public:
    // threads reader threads, more (up to kDiskReaderThreads) while heads come from the disk;
    // at most limit jobs handed out and not yet taken back, and of them at most openLimit that
    // keep their file open.
    TReadAhead(std::size_t threads, std::size_t limit, std::size_t openLimit);
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // The reader threads running now.
    std::size_t Threads() const;
    // How many more jobs may be handed out now: of any kind, or that keep their file open.
    std::size_t Room(bool keepOpen) const;
    // Jobs are best handed out in batches of this many at least: a lock and a wake-up per file
    // would cost about as much as reading a head.
    std::size_t Batch(bool keepOpen) const
    {
        return std::clamp<std::size_t>((keepOpen ? FOpenLimit : FLimit) / 4, 1, 64);
    }
    // Hands out the jobs, in order (urgent ones ahead of those queued before); one already
    // handed out and not taken back stays as it is.
    void Submit(std::vector<TAheadJob>& jobs);
    // The result of the job for this catalogue index, waiting while a reader is at it (one
    // file's look-up or head: no longer than the window thread would take to read it, and
    // without an event pump of its own, so the pump points are those of one thread); none
    // when the job was never handed out or no reader has started it (it is withdrawn) or it
    // was dropped.
    std::optional<TAheadResult> Take(int index);
    // Drops the job for this index, if any, without waiting for it.
    void Forget(int index);
    // Drops every job not yet taken: queued ones at once, running ones when they end.
    void Discard();

    // The reading of one job: the head and its checksum (the file left open in the result when
    // asked).
    static TAheadResult Read(const TAheadJob& job);

private:
    enum class TState : unsigned char { sQueued, sBusy, sDone };
    struct TSlot {
        TState State = TState::sQueued;
        std::uint64_t Serial = 0;  // of the job: a withdrawn job's index may be handed out again
        bool KeepOpen = false;
        TAheadResult Result;
    };
    void Work();
    void Erase(std::unordered_map<int, TSlot>::iterator slot);

    const std::size_t FLimit, FOpenLimit, FMostThreads;
    std::size_t FOpenSlots = 0;  // of FSlots, those of jobs that keep their file open
    mutable std::mutex FLock;
    std::condition_variable FWork, FDone;
    std::deque<TAheadJob> FQueue;
    std::unordered_map<int, TSlot> FSlots;  // every job handed out and not yet taken
    bool FStopping = false;
    std::size_t FIdle = 0;  // readers waiting for work
    std::uint16_t FDiskHeads = 0;  // of the last 16 heads read, those from the disk (bits)
    std::uint64_t FSerial = 0;
    // Jobs of a lower serial were dropped: a reader leaves the rest of its batch unread.
    std::atomic<std::uint64_t> FDropBelow = 0;
    std::vector<std::thread> FThreads;
};
