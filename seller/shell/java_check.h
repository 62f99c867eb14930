#pragma once
// The check of the browser's Java machine, run before a local preview: warns
// (once, silenceably) when the installed build is too old or is the one with
// the known fault that stops Saleboxes from showing.
#include <string>

namespace tendrel {

class BravantContext;

inline constexpr char kJavaVMKey[] =
    "\\Software\\Classes\\CLSID\\{08B0E5C0-4FCB-11CF-AAA5-00401C608500}\\InstalledVersion";
inline constexpr char kOldJavaVMKey[] = "Old Java VM";
inline constexpr char kBuggyJavaVMKey[] = "Buggy Java VM";
inline constexpr int kLastOldJavaBuild = 1250;
inline constexpr int kBuggyJavaBuild = 1516;

enum class JavaVMVerdict { Unknown, Fine, Old, Buggy };

// The verdict on a version value ("5,00,3240,1250": the last comma-separated
// piece is the build number). Unknown for an empty value. A last piece that
// is not a decimal integer throws std::invalid_argument with the text
// "'<piece>' is not a valid integer value".
JavaVMVerdict JudgeJavaVersion(const std::string& version);

// The warning for a verdict of Old or Buggy, naming `vendorURL`; else empty.
std::string JavaVMWarning(JavaVMVerdict verdict, const std::string& vendorURL);

// Reads the installed version from the local machine's registry and shows the
// matching one-time warning. A missing key or empty value shows nothing; a
// build number that does not convert goes to the standard fault report.
void CheckJavaVM(BravantContext& ctx);

}  // namespace tendrel
