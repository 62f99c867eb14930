#include "seller/shell/java_check.h"

#include <stdexcept>
#include <vector>

#include "common/text.h"
#include "platform/registry.h"
#include "seller/shell/context.h"
#include "seller/core/deployment.h"

namespace tendrel {

namespace {

const char kClosing[] =
    " and obtain the latest version, which will provide a more stable environment in which to "
    "preview your Tillon-enabled page.";

// The build number as the integer conversion reads it: blanks may lead, the
// rest must be a decimal 32-bit integer.
int BuildNumber(const std::string& piece) {
  size_t start = 0;
  while (start < piece.size() && piece[start] == ' ') ++start;
  std::string digits = piece.substr(start);
  if (!IsInteger(digits)) throw std::invalid_argument("'" + piece + "' is not a valid integer value");
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  return std::stoi(digits);
}

}  // namespace

JavaVMVerdict JudgeJavaVersion(const std::string& version) {
  if (version.empty()) return JavaVMVerdict::Unknown;
  std::vector<std::string> pieces;
  SplitText(version, ",", pieces);
  // A value of separators only leaves the one empty piece before the first.
  const int build = BuildNumber(pieces.empty() ? std::string() : pieces.back());
  if (build <= kLastOldJavaBuild) return JavaVMVerdict::Old;
  if (build == kBuggyJavaBuild) return JavaVMVerdict::Buggy;
  return JavaVMVerdict::Fine;
}

std::string JavaVMWarning(JavaVMVerdict verdict, const std::string& vendorURL) {
  switch (verdict) {
    case JavaVMVerdict::Old:
      return "Your installation of Internet Explorer is using an older version of the Java "
             "Virtual Machine.  Please go to " +
             vendorURL + kClosing;
    case JavaVMVerdict::Buggy:
      return "There is a bug in the version of the Java Virtual Machine in your Internet "
             "Explorer which prevents you  from successfully viewing Tillon Saleboxes. Please "
             "go to " +
             vendorURL + kClosing;
    default:
      return {};
  }
}

void CheckJavaVM(BravantContext& ctx) {
  const auto key = RegistryKey::Open(RegRoot::LocalMachine, kJavaVMKey, false);
  if (!key) return;
  std::string version;
  if (!key->ReadString("", version) || version.empty()) return;

  JavaVMVerdict verdict;
  try {
    verdict = JudgeJavaVersion(version);
  } catch (const std::invalid_argument& e) {
    ctx.ReportFault(e.what());
    return;
  }
  const std::string warning = JavaVMWarning(verdict, deployment::JavaVendorURL());
  if (warning.empty()) return;
  ctx.ShowOnce(warning, verdict == JavaVMVerdict::Old ? kOldJavaVMKey : kBuggyJavaVMKey);
}

}  // namespace tendrel
