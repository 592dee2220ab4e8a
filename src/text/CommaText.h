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
//
// Choices where the form leaves it open:
// - "Blank" means every byte of code 0 to 32: NUL separates items like any control character
//   (outside quotes) and is kept inside quotes; an item holding one is written quoted. So
//   every list of byte strings survives a write and a read, except that a list of two or
//   more items that ends in an empty one comes back without that last item ("a" and "" give
//   "a,", which reads as "a" alone); the saved result list expects exactly that.
// - A quoted item that lacks its closing quote runs to the end of the text, doubled quotes in
//   it still read as one.
// - Bytes of 128 and above (UTF-8 or not) are ordinary characters, never blanks.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> ReadCommaText(std::string_view text);
std::string WriteCommaText(const std::vector<std::string>& items);
