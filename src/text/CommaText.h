#pragma once
// The one-line text form of a string list.
//
// Reading: blanks (space and control characters) separate items as commas do; an item that
// starts with a double quote runs to the next double quote that is not doubled, a doubled one
// standing for one quote; a leading comma or two commas in a row give an empty item; a
// trailing comma adds none.
// Writing: items joined by single commas; an item holding a blank, a control character, a
// double quote or a comma is quoted with inner quotes doubled; exactly one empty item is
// written as two double quotes; an empty list as the empty text.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> ReadCommaText(std::string_view text);
std::string WriteCommaText(const std::vector<std::string>& items);
