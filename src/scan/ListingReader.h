#pragma once
// Reads the folders of a walk ahead of it, on a thread of its own: while the walk reports one
// folder's files, the listings of the folders it enters next are being read. The walk hands
// out the subfolders of each folder it enters (they come before anything handed out earlier,
// as a walk that goes down first enters them first) and takes a listing back when it enters
// that folder; one that the reader has not started yet is withdrawn, and the walk reads it
// itself as it would without a reader. A listing is read exactly as the walk reads one: the
// folder opened relative to its parent's descriptor without following a link, under the
// walk's masks and watched name.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/FileFind.h"
#include "text/FileDescriptor.h"

class TListingReader {
public:
    struct TResult {
        TFileDescriptor Fd;  // the folder, open (or -1)
        TFolderListing Listing;
        bool Listed = false;
        int Error = 0;  // errno of a failed opening or reading
    };
    // One subfolder to read: Key names it for Take (its path), Name below the parent.
    struct TFolder {
        std::string Key, Name;
    };

    // At most limit folders handed out and not yet taken back.
    TListingReader(std::vector<std::string> masks, std::string watchedName, std::size_t limit);
    ~TListingReader();
    TListingReader(const TListingReader&) = delete;
    TListingReader& operator=(const TListingReader&) = delete;

    // How many more folders may be handed out now.
    std::size_t Room() const;
    // Hands out subfolders of the folder open at parentFd (the descriptor stays the caller's;
    // nothing is handed out when it cannot be copied).
    void Submit(int parentFd, std::vector<TFolder>& folders);
    // The listing of the folder handed out under key, waiting while it is read; none when it
    // was not handed out or not started yet.
    std::optional<TResult> Take(const std::string& key);

private:
    struct TJob {
        std::string Key, Name;
        std::shared_ptr<TFileDescriptor> Parent;
    };
    enum class TState : unsigned char { sQueued, sBusy, sDone };
    struct TSlot {
        TState State = TState::sQueued;
        TResult Result;
    };
    void Work();

    const std::vector<std::string> FMasks;
    const std::string FWatchedName;
    const std::size_t FLimit;
    mutable std::mutex FLock;
    std::condition_variable FWork, FDone;
    std::deque<TJob> FQueue;
    std::unordered_map<std::string, TSlot> FSlots;
    bool FStopping = false;
    std::atomic<bool> FCancel = false;  // ends the folder being read, at the end
    std::thread FThread;
};
