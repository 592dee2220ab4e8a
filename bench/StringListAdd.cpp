// Adds catalogue-like entries one by one to a sorted list that accepts equal strings, reads it
// once (which merges the buffered adds), checks the order, then drains it from the end as the
// comparison does. Prints the time per entry of each phase and the peak memory.
//   bench-StringListAdd [ENTRIES]   (default 1,000,000)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "text/LocaleCompare.h"
#include "text/StringList.h"

namespace {

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A size right-aligned in 9 characters, a blank and a file name. Sizes cluster the way files
// on a disk do (many small, few large, many equal) and names repeat across folders.
std::string Entry(std::mt19937_64& rng)
{
    static const char* const stems[] = {"readme",   "index",   "setup",
                                        "Thumbs",   "IMG_",    "report",
                                        "data",     "lib",     "\xC3\xA9t\xC3\xA9",
                                        "Makefile", "desktop", "photo",
                                        "notes",    "main"};
    static const char* const exts[] = {".txt", ".html", ".exe", ".db",  ".jpg",
                                       ".doc", ".bin",  ".dll", ".ini", ".cpp"};
    const int magnitude = static_cast<int>(rng() % 8);
    std::uint64_t limit = 10;
    for (int i = 0; i < magnitude; ++i) limit *= 10;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%9llu %s%llu%s",
                  static_cast<unsigned long long>(rng() % limit), stems[rng() % 14],
                  static_cast<unsigned long long>(rng() % 5000), exts[rng() % 10]);
    return buffer;
}

}  // namespace

int main(int argc, char** argv)
{
    const long entries = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    if (entries <= 0 || entries > 100'000'000) {
        std::fprintf(stderr, "usage: bench-StringListAdd [ENTRIES]\n");
        return 2;
    }
    SetCollationLocale("en_US");
    AnsiCompareText("warm", "up");
    const long baseKiB = PeakKiB();

    std::mt19937_64 rng(2024);
    TStringList catalogue(true, TDuplicates::dupAccept);
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < entries; ++i) catalogue.Add(Entry(rng), i);
    const double addSeconds = Seconds(start);
    start = std::chrono::steady_clock::now();
    const int count = catalogue.Count();
    const double mergeSeconds = Seconds(start);
    const long peakKiB = PeakKiB();

    for (int i = 1; i < count; i += 997)
        if (AnsiCompareText(catalogue[i - 1], catalogue[i]) > 0) {
            std::fprintf(stderr, "bench-StringListAdd: out of order at %d\n", i);
            return 1;
        }
    start = std::chrono::steady_clock::now();
    while (catalogue.Count() > 0) catalogue.Delete(catalogue.Count() - 1);
    const double drainSeconds = Seconds(start);

    const double n = static_cast<double>(entries);
    std::printf(
        "StringListAdd: %ld catalogue entries added to a sorted list (equal strings accepted)\n",
        entries);
    std::printf("  add   %.3f s  %.0f ns/entry (collation key and buffering)\n", addSeconds,
                addSeconds / n * 1e9);
    std::printf("  merge %.3f s  %.0f ns/entry (first read: sort and merge)\n", mergeSeconds,
                mergeSeconds / n * 1e9);
    std::printf("  total %.3f s  %.0f ns/entry\n", addSeconds + mergeSeconds,
                (addSeconds + mergeSeconds) / n * 1e9);
    std::printf("  drain %.3f s  %.0f ns/entry (read and delete the last, until empty)\n",
                drainSeconds, drainSeconds / n * 1e9);
    std::printf("  peak memory %.1f MiB (ru_maxrss), %.0f bytes/entry above the %.1f MiB start\n",
                peakKiB / 1024.0, (peakKiB - baseKiB) * 1024.0 / n, baseKiB / 1024.0);
    return 0;
}
