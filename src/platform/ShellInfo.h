#pragma once
// The shell's description of a file, from the shared MIME database.
#include <cstddef>
#include <string>
#include <string_view>

class TFileContent;

// The type name of the file or folder at a path in the program's form: the comment of its MIME
// type in the user's language ("plain text document", "folder"), trimmed. A file of a type that
// nobody registered is named by its extension, as Windows names an unregistered one ("DLL
// file"). False when nothing is there. The results list and the properties dialog both take
// their type from here, so they never disagree.
//
// A regular file is typed by its name, as the shell types files by their extension: the one
// type whose glob patterns claim the name. An extension that no type claims gives "unknown"
// without reading the file. Only a name without an extension, or one that several types claim,
// lets the first bytes decide; they are read without following links and without blocking.
bool GetFileTypeName(std::string_view programPath, std::string& typeName);

// The same for a caller that has looked the entry up already and holds the file open (or
// tried to: a `content` that is not open gives the type by the name alone).
std::string RegularFileTypeName(std::string_view name, const TFileContent& content);
std::string FolderTypeName();
// The type of a file that no registered type claims: "TXT file" for "notes.txt", " file"
// without an extension.
std::string TypeFromExtension(std::string_view fileName);

// Loads what the first type name of a process waits for (the MIME database, its glob lists, a
// comment: some 55 ms), for a moment when the program has nothing else to do.
void WarmUpTypeNames();

// What the MIME database needs of a file's contents to tell its type; more is never read.
inline constexpr std::size_t kTypeSniffBytes = 16384;
