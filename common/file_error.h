#pragma once
#include <stdexcept>
#include <string>

namespace tendrel {

// A file that could not be read, written or created. `code` is the errno
// value of the failure (ENOENT for a missing file), 0 when none applies.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& message, int code = 0)
      : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace tendrel
