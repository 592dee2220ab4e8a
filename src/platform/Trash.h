#pragma once
// The freedesktop.org trash, kept by Zarvex itself so that a file keeps the bytes of its name
// (a name that is not valid UTF-8 included) on its way in, and its .trashinfo records them.
//
// A file is only ever renamed into a trash on its own file system: the home trash
// ($XDG_DATA_HOME/Trash) when it shares the file system, else $topdir/.Trash/$uid (when
// .Trash is a real folder with its sticky bit) or $topdir/.Trash-$uid of its mount. It is
// never copied: when no such trash can be used it stays where it is.
#include <string>
#include <string_view>

class TListedFile;

// False, with the reason, when the file could not be moved; it is then where it was.
bool MoveListedFileToTrash(const TListedFile& file, std::string& error);

// The Path= value of a .trashinfo: each byte but the unreserved characters of a URI and "/"
// written as %XX.
std::string TrashInfoPath(std::string_view path);
