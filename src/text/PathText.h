#pragma once
// Cutting a path of the program's form ("C:\Data\report.txt") into its folder and its name.
//
// The name is the text after the last "\" (or "/", which no Linux name can hold). ":" is the
// drive separator only as the second character ("C:report.txt" names report.txt on C:): a
// Linux file name may hold ":" anywhere, so "C:\d\notes:k.txt" is the file notes:k.txt, never
// k.txt.
#include <string_view>

std::string_view PathName(std::string_view path);
// Everything before the name: the folder with its final separator, "C:" for "C:report.txt",
// empty for a bare name.
std::string_view PathFolder(std::string_view path);
