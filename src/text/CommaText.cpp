#include "text/CommaText.h"

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

std::size_t SkipBlanks(std::string_view text, std::size_t i)
{
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

// `i` is at the opening quote; returns the position after the closing one (or the end).
std::size_t ReadQuoted(std::string_view text, std::size_t i, std::string& item)
{
    ++i;
    while (i < text.size()) {
        const std::size_t quote = text.find('"', i);
        if (quote == std::string_view::npos)
            break;
        item.append(text.substr(i, quote - i));
        if (quote + 1 < text.size() && text[quote + 1] == '"') {
            item += '"';
            i = quote + 2;
        } else {
            return quote + 1;
        }
    }
    item.append(text.substr(std::min(i, text.size())));
    return text.size();
}

bool NeedsQuotes(std::string_view item)
{
    for (char c : item)
        if (IsBlank(c) || c == '"' || c == ',')
            return true;
    return false;
}

}  // namespace

std::vector<std::string> ReadCommaText(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t i = SkipBlanks(text, 0);
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            i = ReadQuoted(text, i, item);
        } else {
            const std::size_t start = i;
            while (i < text.size() && !IsBlank(text[i]) && text[i] != ',') ++i;
            item.assign(text.substr(start, i - start));
        }
        items.push_back(std::move(item));
        i = SkipBlanks(text, i);
        if (i < text.size() && text[i] == ',')
            i = SkipBlanks(text, i + 1);
    }
    return items;
}

std::string WriteCommaText(const std::vector<std::string>& items)
{
    if (items.size() == 1 && items[0].empty())
        return "\"\"";
    std::string text;
    for (std::size_t n = 0; n < items.size(); ++n) {
        if (n > 0)
            text += ',';
        const std::string& item = items[n];
        if (!NeedsQuotes(item)) {
            text += item;
            continue;
        }
        text += '"';
        for (char c : item) {
            if (c == '"')
                text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}
