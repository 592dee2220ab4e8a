// bench-DupTree: writes a deterministic tree of files for the duplicate benchmarks.
//
//   bench-DupTree FOLDER [FILES [SEED [small]]]
//
// About FILES files in FILES / 20 folders nested up to 14 deep. Sizes are log-uniform from
// 16 bytes to 64 KiB, so most sizes are shared. Of the files, about 20% are copies of an earlier
// file (most keep its date and time, some get their own), 10% have the size of an earlier file
// and other contents, 5% also share its first 512 bytes and differ only later, and four large
// files (32 to 96 MiB) come with a copy each. Same contents for the same FILES and SEED.
// With "small", sizes run from 16 bytes to 1 KiB only and there are no large files: a tree of
// a million files stays small on disk, and nearly every file shares its size with many others.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct TRandom {
    std::uint64_t State;
    std::uint64_t Next()
    {
        std::uint64_t z = (State += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return n ? Next() % n : 0; }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

struct TOriginal {
    std::int64_t Size;
    std::uint64_t Seed;
    std::int64_t Stamp;
};

constexpr std::int64_t kFirstStamp = 1'262'304'000;  // 2010-01-01
constexpr std::int64_t kStampRange = 12LL * 365 * 86400;

const char* const kExtensions[] = {".txt", ".dat", ".jpg", ".pdf", ".bin", ".html", ".c", ".png"};

void Fill(std::vector<char>& buffer, std::int64_t size, std::uint64_t seed)
{
    buffer.resize(static_cast<std::size_t>(size));
    TRandom random{seed};
    std::size_t i = 0;
    for (; i + 8 <= buffer.size(); i += 8) {
        const std::uint64_t word = random.Next();
        for (int b = 0; b < 8; ++b) buffer[i + b] = static_cast<char>(word >> (8 * b));
    }
    const std::uint64_t word = random.Next();
    for (int b = 0; i < buffer.size(); ++i, ++b) buffer[i] = static_cast<char>(word >> (8 * b));
}

bool WriteFile(const std::string& path, const std::vector<char>& data, std::int64_t stamp)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const timespec times[2] = {{stamp, 0}, {stamp, 0}};
    const bool ok = done == data.size() && futimens(fd, times) == 0;
    return close(fd) == 0 && ok;
}

std::vector<std::string> MakeFolders(const std::string& root, std::size_t count, TRandom& random)
{
    std::vector<std::string> folders{root};
    std::vector<int> depth{0};
    while (folders.size() < count) {
        // Prefer recent folders as parents, so chains grow deep.
        std::size_t parent = folders.size() - 1 - random.Below(std::min<std::size_t>(folders.size(), 8));
        if (depth[parent] >= 14) parent = random.Below(folders.size());
        const std::string name = folders[parent] + "/dir " + std::to_string(folders.size());
        if (mkdir(name.c_str(), 0755) != 0) {
            std::perror(name.c_str());
            std::exit(1);
        }
        folders.push_back(name);
        depth.push_back(depth[parent] + 1);
    }
    return folders;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-DupTree FOLDER [FILES [SEED [small]]]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 200000;
    TRandom random{argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1};
    const bool small = argc > 4 && std::string(argv[4]) == "small";
    const double sizeSpan = std::log(small ? 64.0 : 4096.0);
    if (mkdir(root.c_str(), 0755) != 0) {
        std::perror(root.c_str());
        return 1;
    }
    const std::vector<std::string> folders =
        MakeFolders(root, static_cast<std::size_t>(std::max(1L, files / 20)), random);

    std::vector<TOriginal> originals;
    std::vector<char> data;
    std::int64_t bytes = 0;
    for (long i = 0; i < files; ++i) {
        const double kind = random.Unit();
        TOriginal file{};
        std::int64_t flip = -1;  // a byte changed after the first 512
        const bool large = !small && i % (files / 4 + 1) == 7;
        if (originals.empty() || kind >= 0.35 || large) {
            file.Size = large ? (32LL << 20) * (1 + static_cast<std::int64_t>(random.Below(3)))
                              : static_cast<std::int64_t>(16.0 * std::exp(random.Unit() * sizeSpan));
            file.Seed = random.Next();
            file.Stamp = kFirstStamp + static_cast<std::int64_t>(random.Below(kStampRange));
            if (!large) originals.push_back(file);
        } else {
            const TOriginal& of = originals[random.Below(originals.size())];
            file = of;
            if (kind < 0.20) {  // a copy; one in five gets a date of its own
                if (random.Below(5) == 0) {
                    file.Stamp = kFirstStamp + static_cast<std::int64_t>(random.Below(kStampRange));
                }
            } else if (kind < 0.25 && of.Size > 600) {  // same first 512 bytes
                flip = 512 + static_cast<std::int64_t>(
                                 random.Below(static_cast<std::uint64_t>(of.Size - 512)));
            } else {  // same size only
                file.Seed = random.Next();
            }
        }
        Fill(data, file.Size, file.Seed);
        if (flip >= 0) data[static_cast<std::size_t>(flip)] ^= 0x5A;
        // A large file and its copy, in two folders.
        for (int copy = 0; copy < (large ? 2 : 1); ++copy) {
            const std::string& folder = folders[random.Below(folders.size())];
            const std::string path = folder + "/file-" + std::to_string(i) + (copy ? "-copy" : "") +
                                     kExtensions[random.Below(std::size(kExtensions))];
            if (!WriteFile(path, data, file.Stamp)) {
                std::perror(path.c_str());
                return 1;
            }
            bytes += file.Size;
        }
    }
    std::printf("%ld files, %zu folders, %.1f MiB\n", files, folders.size(),
                static_cast<double>(bytes) / 1048576.0);
    return 0;
}
