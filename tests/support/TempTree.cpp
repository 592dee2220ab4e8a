#include "support/TempTree.h"

#include <sys/stat.h>
#include <utime.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

TTempTree::TTempTree()
{
    std::string templ = (fs::temp_directory_path() / "zarvex-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    FRoot = templ;
}

TTempTree::~TTempTree()
{
    std::error_code ec;
    // Tests may leave folders without permissions behind; give them back first.
    for (auto it = fs::recursive_directory_iterator(
             FRoot, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::permissions(FRoot, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FRoot, ec);
}

std::string TTempTree::Path(std::string_view relative) const
{
    if (relative.empty()) return FRoot;
    return FRoot + "/" + std::string(relative);
}

std::string TTempTree::MakeDir(std::string_view relative)
{
    std::string p = Path(relative);
    fs::create_directories(p);
    return p;
}

std::string TTempTree::WriteFile(std::string_view relative, std::string_view contents)
{
    std::string p = Path(relative);
    fs::create_directories(fs::path(p).parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out) throw std::runtime_error("cannot write " + p);
    return p;
}

std::string TTempTree::WriteSized(std::string_view relative, std::int64_t size, unsigned seed)
{
    std::string data(static_cast<size_t>(size), '\0');
    unsigned x = seed * 2654435761u + 12345u;
    for (std::int64_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        data[static_cast<size_t>(i)] = static_cast<char>(x >> 16);
    }
    return WriteFile(relative, data);
}

void TTempTree::SetTime(std::string_view relative, std::int64_t unixSeconds)
{
    struct utimbuf times;
    times.actime = static_cast<time_t>(unixSeconds);
    times.modtime = static_cast<time_t>(unixSeconds);
    if (utime(Path(relative).c_str(), &times) != 0) throw std::runtime_error("utime failed");
}

TEnvGuard::TEnvGuard(const char* name, const std::string& value) : FName(name)
{
    if (const char* old = std::getenv(name)) {
        FOld = old;
        FHadOld = true;
    }
    setenv(name, value.c_str(), 1);
}

TEnvGuard::~TEnvGuard()
{
    if (FHadOld) {
        setenv(FName.c_str(), FOld.c_str(), 1);
    } else {
        unsetenv(FName.c_str());
    }
}
