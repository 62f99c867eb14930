#include "host/dbus_values.h"

#include <limits>

namespace tendrel {

bool ScalarFromVariant(const QVariant& v, HostValue* out) {
  switch (v.userType()) {
    case QMetaType::QString: *out = v.toString().toStdString(); return true;
    case QMetaType::Bool: *out = v.toBool(); return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
      bool ok = false;
      const qlonglong n = v.toLongLong(&ok);
      if (!ok || n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return false;
      *out = static_cast<int>(n);
      return true;
    }
    default: return false;
  }
}

}  // namespace tendrel
