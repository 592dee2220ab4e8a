#include "text/LocaleCompare.h"

#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "text/LocaleName.h"
#include "text/Utf8.h"

namespace {

struct TCollatorClose {
    void operator()(UCollator* c) const { ucol_close(c); }
};
using TCollatorPtr = std::unique_ptr<UCollator, TCollatorClose>;

TCollatorPtr OpenCollator(const std::string& icuLocale)
{
    UErrorCode status = U_ZERO_ERROR;
    TCollatorPtr col(ucol_open(icuLocale.c_str(), &status));
    if (U_FAILURE(status) || !col) {
        status = U_ZERO_ERROR;
        col.reset(ucol_open("", &status));
    }
    if (!col)
        return col;
    // Case ignored, accents kept; blanks must count (a "shifted" default of some locale would
    // let "     12 x" and "    123 x" interleave in the catalogue).
    ucol_setStrength(col.get(), UCOL_SECONDARY);
    status = U_ZERO_ERROR;
    ucol_setAttribute(col.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    ucol_setAttribute(col.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(col.get(), UCOL_CASE_LEVEL, UCOL_OFF, &status);
    ucol_setAttribute(col.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    return col;
}

TCollatorPtr& CollatorSlot()
{
    static TCollatorPtr slot;
    return slot;
}

// Whether NumberFieldsCollateAsNumbers holds for the collator in the slot; -1 not yet checked.
int& FieldCheckSlot()
{
    static int checked = -1;
    return checked;
}

const UCollator* Collator()
{
    TCollatorPtr& slot = CollatorSlot();
    if (!slot) {
        slot = OpenCollator(EnvLocaleName("LC_COLLATE"));
        FieldCheckSlot() = -1;
    }
    return slot.get();
}

constexpr char16_t kFieldChars[] = u" 0123456789";

// The one primary weight of c, or 0 when c maps to no element, to several, or to one without
// a primary weight.
int32_t SinglePrimary(const UCollator* col, char16_t c)
{
    UErrorCode status = U_ZERO_ERROR;
    const UChar text[1] = {static_cast<UChar>(c)};
    UCollationElements* it = ucol_openElements(col, text, 1, &status);
    if (U_FAILURE(status) || !it)
        return 0;
    int32_t primary = 0;
    int count = 0;
    for (int32_t ce; (ce = ucol_next(it, &status)) != UCOL_NULLORDER && U_SUCCESS(status);) {
        ++count;
        primary = ucol_primaryOrder(ce);
    }
    ucol_closeElements(it);
    return count == 1 && U_SUCCESS(status) ? primary : 0;
}

bool FieldCharsStartNoContraction(const UCollator* col)
{
    UErrorCode status = U_ZERO_ERROR;
    USet* contractions = uset_openEmpty();
    ucol_getContractionsAndExpansions(col, contractions, nullptr, false, &status);
    bool clear = U_SUCCESS(status);
    UChar item[64];
    for (int32_t i = 0; clear && i < uset_getItemCount(contractions); ++i) {
        UChar32 start, end;
        status = U_ZERO_ERROR;
        const int32_t n = uset_getItem(contractions, i, &start, &end, item, 64, &status);
        // Contractions are strings; a string too long for the buffer is judged unsafe.
        if (U_FAILURE(status) ||
            (n > 0 && std::u16string_view(kFieldChars).find(static_cast<char16_t>(item[0])) !=
                          std::u16string_view::npos))
            clear = false;
    }
    uset_close(contractions);
    return clear;
}

bool CheckNumberFields(const UCollator* col)
{
    int32_t previous = 0;
    for (char16_t c : std::u16string_view(kFieldChars)) {
        const int32_t primary = SinglePrimary(col, c);
        // Primary orders are unsigned 16-bit values in the element's top half.
        if (primary == 0 || static_cast<uint32_t>(primary) <= static_cast<uint32_t>(previous))
            return false;
        previous = primary;
    }
    return FieldCharsStartNoContraction(col);
}

// UTF-8 decoded to UTF-16 for ICU. A byte that does not belong to a well-formed sequence
// (stray continuation, truncated or overlong sequence, surrogate, beyond U+10FFFF) becomes the
// private-use character U+E000 + byte, so it has a weight of its own. As valid text may hold
// that character too, the positions of such bytes are kept in `marks`, which ends the key.
struct TDecoded {
    std::u16string Text;
    std::string Marks;  // 4 bytes, big-endian, per invalid byte: its index in Text
};

void AppendMark(std::string& marks, std::size_t index)
{
    const auto i = static_cast<std::uint32_t>(index);
    marks += static_cast<char>(i >> 24);
    marks += static_cast<char>(i >> 16);
    marks += static_cast<char>(i >> 8);
    marks += static_cast<char>(i);
}

void Decode(std::string_view s, TDecoded& out)
{
    out.Text.clear();
    out.Marks.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t cp;
        const std::size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            AppendMark(out.Marks, out.Text.size());
            out.Text += static_cast<char16_t>(0xE000 + p[i]);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.Text += static_cast<char16_t>(0xD800 + (cp >> 10));
            out.Text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out.Text += static_cast<char16_t>(cp);
        }
        i += len;
    }
}

const UChar* Chars(const std::u16string& s)
{
    return reinterpret_cast<const UChar*>(s.data());
}

int32_t Length(const std::u16string& s)
{
    // Longer texts are compared on their first 2^31-1 units; no file name comes near.
    return static_cast<int32_t>(std::min<std::size_t>(s.size(), INT32_MAX));
}

int CompareBytes(std::string_view a, std::string_view b)
{
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

void SetCollationLocale(const std::string& icuLocale)
{
    CollatorSlot() =
        OpenCollator(icuLocale.empty() ? EnvLocaleName("LC_COLLATE") : IcuLocaleName(icuLocale));
    FieldCheckSlot() = -1;
}

bool NumberFieldsCollateAsNumbers()
{
    const UCollator* col = Collator();
    if (!col)
        return true;
    int& checked = FieldCheckSlot();
    if (checked < 0)
        checked = CheckNumberFields(col) ? 1 : 0;
    return checked == 1;
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    thread_local TDecoded da, db;
    const UCollator* col = Collator();
    if (!col)  // no ICU data at all: plain byte order, which the keys then follow too
        return CompareBytes(a, b);
    Decode(a, da);
    Decode(b, db);
    const UCollationResult r =
        ucol_strcoll(col, Chars(da.Text), Length(da.Text), Chars(db.Text), Length(db.Text));
    if (r != UCOL_EQUAL)
        return r == UCOL_LESS ? -1 : 1;
    return CompareBytes(da.Marks, db.Marks);
}

void AppendCollationKey(std::string_view s, std::string& out)
{
    thread_local TDecoded d;
    const UCollator* col = Collator();
    if (!col) {
        out.append(s);
        return;
    }
    Decode(s, d);
    const std::size_t start = out.size();
    std::size_t room = d.Text.size() * 2 + 16;
    for (;;) {
        out.resize(start + room);
        const int32_t capacity = static_cast<int32_t>(std::min<std::size_t>(room, INT32_MAX));
        auto* dest = reinterpret_cast<uint8_t*>(out.data() + start);
        const int32_t need = ucol_getSortKey(col, Chars(d.Text), Length(d.Text), dest, capacity);
        if (need <= capacity) {
            // ICU's key ends in its only zero byte, so no key is a prefix of another and the
            // marks can follow without disturbing the order of different keys.
            out.resize(start + static_cast<std::size_t>(need));
            out += d.Marks;
            return;
        }
        room = static_cast<std::size_t>(need);
    }
}

std::string CollationKey(std::string_view s)
{
    std::string key;
    AppendCollationKey(s, key);
    return key;
}
