#include "seller/core/class_folder.h"

#include <QDirIterator>
#include <QString>
#include <cerrno>

#include "common/file_error.h"
#include "common/files.h"
#include "common/paths.h"

namespace tendrel {

namespace {
// The program's own copy of the class folder, as resources under this prefix.
constexpr char kClassResources[] = ":/classes";
}  // namespace

std::string PrepareLocalClassFolder() {
  const std::string folder = JoinPath(AppDir(), kClassFolderName);
  QDirIterator it(QString::fromLatin1(kClassResources), QDir::Files, QDirIterator::Subdirectories);
  const int prefix = static_cast<int>(sizeof kClassResources);  // the prefix and its "/"
  while (it.hasNext()) {
    const std::string relative = it.next().mid(prefix).toStdString();
    const std::string local = JoinPath(folder, relative);
    if (!FileExists(local)) ExtractResourceToFile(local, relative, "classes");
  }
  if (!DirectoryExists(folder)) throw FileError("Cannot find the folder " + folder, ENOENT);
  return folder;
}

}  // namespace tendrel
