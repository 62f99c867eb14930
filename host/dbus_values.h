#pragma once
// The values that travel in the host's D-Bus calls, shared by the client and
// the stand-in editor so both read them alike.
#include <QVariant>

#include "host/host_editor.h"

namespace tendrel {

// A text, flag or integer that fits 32 bits; false for any other value.
bool ScalarFromVariant(const QVariant& v, HostValue* out);

}  // namespace tendrel
