#pragma once
// File helpers: listing by wildcard mask, whole-file text reading and writing,
// extracting program resources, and the per-user program folder.
#include <string>
#include <vector>

#include "common/file_error.h"

namespace tendrel {

class UserDialogs;

// Adds to list every plain file matching mask ("dir/*.htm"; '*' and '?' as in
// the Windows shell, ignoring case, "*.*" matching every file) in the mask's
// folder and, with recurse, in all folders below it in AddSubdirectories
// order. Within a folder files come sorted by name, ignoring case. When the
// mask's extension holds no wildcard a file's own extension must equal it, so
// *.htm never takes in .html files. Entries are JoinPath(folder, file name).
void ListFiles(const std::string& mask, std::vector<std::string>& list, bool recurse);

// Adds the full path of every folder below dir, depth first, each folder
// before its own subfolders, sorted by name ignoring case. Symbolic links to
// folders are not followed, so a link loop cannot run away.
void AddSubdirectories(const std::string& dir, std::vector<std::string>& list);

// Deletes every plain file in the mask's folder that ListFiles would list;
// failures are ignored.
void DeleteFiles(const std::string& mask);

// The file's lines (ended by CR LF, LF or CR) joined by CR LF, without a line
// end after the last. Throws FileError on failure; when the file does not exist
// the user is first shown the system's error text, " : " and the file name.
std::string LoadTextFile(const std::string& fileName, UserDialogs& dialogs);

// Replaces the file with text, written whole through a temporary file in the
// same folder, so a failure leaves the old file as it was. Throws FileError.
void SaveTextFile(const std::string& fileName, const std::string& text);

// Writes the program's resource ":/<resourceType>/<resourceName>" to fileName
// (written whole), creating the folder and its missing parents. Returns true;
// throws FileError when the resource is missing or the file cannot be written.
bool ExtractResourceToFile(const std::string& fileName, const std::string& resourceName,
                           const std::string& resourceType);

// The per-user program folder $XDG_DATA_HOME/Tendrel/<application name>
// (default ~/.local/share/Tendrel/...), created when missing; no trailing
// separator.
std::string AppDir();

// A file (anything but a folder) exists at path, following links.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

}  // namespace tendrel
