#include "scan/ListingReader.h"

#include <fcntl.h>

#include <cerrno>
#include <iterator>

TListingReader::TListingReader(std::vector<std::string> masks, std::string watchedName,
                               std::size_t limit)
    : FMasks(std::move(masks)), FWatchedName(std::move(watchedName)), FLimit(limit)
{
    FThread = std::thread([this] { Work(); });
}

TListingReader::~TListingReader()
{
    {
        std::lock_guard lock(FLock);
        FStopping = true;
        FQueue.clear();
    }
    FCancel = true;  // a large folder being read is not read to its end
    FWork.notify_all();
    FThread.join();
}

std::size_t TListingReader::Room() const
{
    std::lock_guard lock(FLock);
    return FSlots.size() < FLimit ? FLimit - FSlots.size() : 0;
}

void TListingReader::Submit(int parentFd, std::vector<TFolder>& folders)
{
    if (folders.empty())
        return;
    auto parent = std::make_shared<TFileDescriptor>(fcntl(parentFd, F_DUPFD_CLOEXEC, 0));
    if (parent->Get() < 0)
        return;
    std::vector<TJob> jobs;
    {
        std::lock_guard lock(FLock);
        for (TFolder& folder : folders) {
            if (FSlots.size() >= FLimit)
                break;
            if (FSlots.try_emplace(folder.Key).second)
                jobs.push_back({std::move(folder.Key), std::move(folder.Name), parent});
        }
        FQueue.insert(FQueue.begin(), std::make_move_iterator(jobs.begin()),
                      std::make_move_iterator(jobs.end()));
    }
    FWork.notify_one();
}

std::optional<TListingReader::TResult> TListingReader::Take(const std::string& key)
{
    std::unique_lock lock(FLock);
    for (;;) {
        const auto slot = FSlots.find(key);
        if (slot == FSlots.end())
            return std::nullopt;
        if (slot->second.State == TState::sQueued) {
            // Withdrawn: the walk reads the folder itself rather than wait.
            FSlots.erase(slot);
            for (auto job = FQueue.begin(); job != FQueue.end(); ++job)
                if (job->Key == key) {
                    FQueue.erase(job);
                    break;
                }
            return std::nullopt;
        }
        if (slot->second.State == TState::sDone) {
            std::optional<TResult> result(std::move(slot->second.Result));
            FSlots.erase(slot);
            return result;
        }
        FDone.wait(lock);
    }
}

void TListingReader::Work()
{
    std::unique_lock lock(FLock);
    for (;;) {
        FWork.wait(lock, [this] { return FStopping || !FQueue.empty(); });
        if (FStopping)
            return;
        TJob job = std::move(FQueue.front());
        FQueue.pop_front();
        FSlots[job.Key].State = TState::sBusy;
        lock.unlock();

        TResult result;
        errno = 0;
        result.Fd.Reset(OpenSubfolderNoFollow(job.Parent->Get(), job.Name));
        result.Listing.SetWatchedName(FWatchedName);
        result.Listing.SetCancel(&FCancel);
        result.Listed = result.Listing.ReadAt(result.Fd.Get(), &FMasks);
        result.Error = result.Listed ? 0 : errno;
        job.Parent.reset();

        lock.lock();
        FSlots[job.Key] = TSlot{TState::sDone, std::move(result)};
        FDone.notify_all();
    }
}
