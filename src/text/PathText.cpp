#include "text/PathText.h"

namespace {

std::size_t NameStart(std::string_view path)
{
    const std::size_t cut = path.find_last_of("\\/");
    if (cut != std::string_view::npos)
        return cut + 1;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

}  // namespace

std::string_view PathName(std::string_view path)
{
    return path.substr(NameStart(path));
}

std::string_view PathFolder(std::string_view path)
{
    return path.substr(0, NameStart(path));
}
