#pragma once
// An open file descriptor that closes itself with its owner; it can be moved, not copied.
#include <unistd.h>

#include <utility>

class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd = -1) : FFd(fd) {}
    TFileDescriptor(TFileDescriptor&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TFileDescriptor& operator=(TFileDescriptor&& other) noexcept
    {
        std::swap(FFd, other.FFd);
        return *this;
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    ~TFileDescriptor() { Close(); }

    int Get() const { return FFd; }
    void Reset(int fd)
    {
        Close();
        FFd = fd;
    }
    // False when close failed: for a file just written, the data may not have reached it.
    bool Close()
    {
        const bool ok = FFd < 0 || ::close(FFd) == 0;
        FFd = -1;
        return ok;
    }

private:
    int FFd;
};
