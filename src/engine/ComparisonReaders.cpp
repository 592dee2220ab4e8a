#include "engine/ComparisonReaders.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "engine/ContentReader.h"

namespace {

// Jobs a reader takes at once: one lock for several small files.
constexpr std::size_t kBatch = 8;

}  // namespace

std::size_t DefaultReaderThreads()
{
    if (const char* value = std::getenv("ZARVEX_READERS")) {
        const long wanted = std::strtol(value, nullptr, 10);
        if (wanted >= 1 && wanted <= 64)
            return static_cast<std::size_t>(wanted);
    }
    return std::max<std::size_t>(2, std::thread::hardware_concurrency());
}

TReadAhead::TReadAhead(std::size_t threads, std::size_t limit, std::size_t openLimit)
    : FLimit(limit), FOpenLimit(std::min(limit, openLimit)),
      FMostThreads(std::max(threads, kDiskReaderThreads))
{
    std::lock_guard lock(FLock);
    for (std::size_t i = 0; i < threads; ++i) FThreads.emplace_back([this] { Work(); });
}

TReadAhead::~TReadAhead()
{
    {
        std::lock_guard lock(FLock);
        FStopping = true;
        FQueue.clear();
        FDropBelow = FSerial + 1;
    }
    FWork.notify_all();
    for (std::thread& thread : FThreads) thread.join();
}

std::size_t TReadAhead::Threads() const
{
    std::lock_guard lock(FLock);
    return FThreads.size();
}

std::size_t TReadAhead::Room(bool keepOpen) const
{
    std::lock_guard lock(FLock);
    std::size_t room = FSlots.size() < FLimit ? FLimit - FSlots.size() : 0;
    if (keepOpen)
        room = std::min(room, FOpenSlots < FOpenLimit ? FOpenLimit - FOpenSlots : 0);
    return room;
}

void TReadAhead::Erase(std::unordered_map<int, TSlot>::iterator slot)
{
    if (slot->second.KeepOpen)
        --FOpenSlots;
    FSlots.erase(slot);
}

void TReadAhead::Submit(std::vector<TAheadJob>& jobs)
{
    bool wake = false;
    {
        std::lock_guard lock(FLock);
        std::size_t urgent = 0;  // urgent jobs keep their order, ahead of all others
        for (TAheadJob& job : jobs)
            if (const auto [slot, added] = FSlots.try_emplace(job.Index); added) {
                slot->second.Serial = job.Serial = ++FSerial;
                slot->second.KeepOpen = job.KeepOpen;
                FOpenSlots += job.KeepOpen ? 1 : 0;
                if (job.Urgent)
                    FQueue.insert(FQueue.begin() + static_cast<std::ptrdiff_t>(urgent++),
                                  std::move(job));
                else
                    FQueue.push_back(std::move(job));
            }
        wake = FIdle > 0 && !FQueue.empty();
    }
    jobs.clear();
    if (wake)
        FWork.notify_all();
}

std::optional<TAheadResult> TReadAhead::Take(int index)
{
    std::unique_lock lock(FLock);
    for (;;) {
        const auto slot = FSlots.find(index);
        if (slot == FSlots.end())
            return std::nullopt;
        if (slot->second.State == TState::sQueued) {
            // Withdrawn: the window thread reads it itself rather than wait for a reader.
            Erase(slot);
            return std::nullopt;
        }
        if (slot->second.State == TState::sDone) {
            std::optional<TAheadResult> result(std::move(slot->second.Result));
            Erase(slot);
            return result;
        }
        FDone.wait(lock);
    }
}

void TReadAhead::Forget(int index)
{
    std::optional<TAheadResult> dropped;  // its file is closed outside the lock
    std::lock_guard lock(FLock);
    const auto slot = FSlots.find(index);
    if (slot == FSlots.end())
        return;
    dropped.emplace(std::move(slot->second.Result));
    Erase(slot);
}

void TReadAhead::Discard()
{
    std::unordered_map<int, TSlot> dropped;  // its files are closed outside the lock
    std::lock_guard lock(FLock);
    FQueue.clear();
    FSlots.swap(dropped);
    FOpenSlots = 0;
    FDropBelow = FSerial + 1;
}

void TReadAhead::Work()
{
    std::vector<TAheadJob> batch;
    std::unique_lock lock(FLock);
    for (;;) {
        ++FIdle;
        FWork.wait(lock, [this] { return FStopping || !FQueue.empty(); });
        --FIdle;
        if (FStopping)
            return;
        batch.clear();
        while (!FQueue.empty() && batch.size() < kBatch) {
            TAheadJob& job = FQueue.front();
            const auto slot = FSlots.find(job.Index);
            if (slot != FSlots.end() && slot->second.Serial == job.Serial &&
                slot->second.State == TState::sQueued) {
                slot->second.State = TState::sBusy;
                batch.push_back(std::move(job));
            }
            FQueue.pop_front();
        }
        lock.unlock();
        // Each result is published as soon as it is there: the window thread may wait for it.
        for (const TAheadJob& job : batch) {
            if (job.Serial < FDropBelow)
                continue;
            TAheadResult result = Read(job);
            lock.lock();
            // One more reader while most recent heads came from the disk and the queue holds
            // more (a page or two missing from a warm cache is no reason).
            FDiskHeads = static_cast<std::uint16_t>(FDiskHeads << 1 | (result.FromDisk ? 1 : 0));
            if (result.FromDisk && std::popcount(FDiskHeads) >= 8 && !FStopping &&
                FThreads.size() < FMostThreads && FIdle == 0 && !FQueue.empty())
                FThreads.emplace_back([this] { Work(); });
            // A job that is gone was dropped meanwhile; so is its result.
            const auto slot = FSlots.find(job.Index);
            if (slot != FSlots.end() && slot->second.Serial == job.Serial) {
                slot->second.State = TState::sDone;
                slot->second.Result = std::move(result);
            }
            lock.unlock();
            FDone.notify_all();
        }
        lock.lock();
    }
}

TAheadResult TReadAhead::Read(const TAheadJob& job)
{
    TAheadResult result;
    auto file = std::make_unique<TFileContent>();
    if (!file->Open(job.Path))
        return result;
    result.HeadRead = TContentReader::ReadHead(*file, job.Size, result.Head, &result.FromDisk);
    if (!result.HeadRead)
        return result;
    result.Signed = job.Sign;
    result.Signature = TContentReader::HeadChecksum(result.Head, job.Size);
    if (job.KeepOpen) {
        result.Content = std::move(file);
    } else {
        // Closed with its file: the window thread would read the head again with the file.
        result.HeadRead = false;
        std::string().swap(result.Head);
    }
    return result;
}
