#pragma once
// Text crosses between the programs' std::string (UTF-8 bytes) and Qt's
// QString only at widget boundaries; these two do the crossing.
#include <QString>
#include <string>

namespace tendrel {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

}  // namespace tendrel
