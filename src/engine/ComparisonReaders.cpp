#include "engine/ComparisonReaders.h"

#include <algorithm>
#include <cstdlib>

#include "engine/ContentReader.h"
#include "engine/FileMatch.h"

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

TReadAhead::TReadAhead(std::size_t threads, std::size_t limit) : FLimit(limit)
{
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

std::size_t TReadAhead::Room() const
{
    std::lock_guard lock(FLock);
    return FSlots.size() < FLimit ? FLimit - FSlots.size() : 0;
}

void TReadAhead::Submit(std::vector<TAheadJob>& jobs)
{
    bool wake = false;
    {
        std::lock_guard lock(FLock);
        for (TAheadJob& job : jobs)
            if (const auto [slot, added] = FSlots.try_emplace(job.Index); added) {
                slot->second.Serial = job.Serial = ++FSerial;
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
            FSlots.erase(slot);
            return std::nullopt;
        }
        if (slot->second.State == TState::sDone) {
            std::optional<TAheadResult> result(std::move(slot->second.Result));
            FSlots.erase(slot);
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
    FSlots.erase(slot);
}

void TReadAhead::Discard()
{
    std::unordered_map<int, TSlot> dropped;  // its files are closed outside the lock
    std::lock_guard lock(FLock);
    FQueue.clear();
    FSlots.swap(dropped);
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
    if (job.Kind == TAheadJob::TKind::kStamp) {
        result.Signed = TFileMatcher::StampOf(job.Path, result.Signature);
        return result;
    }
    auto file = std::make_unique<TFileContent>();
    if (!file->Open(job.Path))
        return result;
    result.HeadRead = TContentReader::ReadHead(*file, job.Size, result.Head);
    if (!result.HeadRead)
        return result;
    result.Signed = job.Sign;
    result.Signature = TContentReader::HeadChecksum(result.Head, job.Size);
    if (job.KeepOpen)
        result.Content = std::move(file);
    return result;
}
