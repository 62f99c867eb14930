#pragma once
// The local class folder, "classes" in the program folder: the Salebox
// runtime and the service's classes that pages name as their codebase. The
// local preview points its pages at it and the class installation sends it
// to the vendor's server.
#include <string>

namespace tendrel {

inline constexpr char kClassFolderName[] = "classes";
// The local class folder's subfolder that holds the preview's products; it
// is never sent to a server.
inline constexpr char kProductsFolderName[] = "products";

// The local class folder. Files of the program's own copy that are missing
// there are put there first, so the folder is complete on first use and
// mends itself after a deletion; files the user changed or added stay as
// they are. Throws FileError when the folder or a file cannot be made.
std::string PrepareLocalClassFolder();

}  // namespace tendrel
