#pragma once
// The shell's description of a file, from the shared MIME database.
#include <string>
#include <string_view>

// The type name of the file or folder at a path in the program's form: the comment of its MIME
// type in the user's language ("plain text document", "folder"), trimmed. False when nothing is
// there. A regular file is typed by its name first; its first bytes are read only when the name
// alone does not decide, and then without following links and without blocking.
bool GetFileTypeName(std::string_view programPath, std::string& typeName);
