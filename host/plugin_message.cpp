#include "host/plugin_message.h"

#include <QDBusConnection>

namespace tendrel {

PlugInMessageListener::PlugInMessageListener(QObject* parent) : QObject(parent) {
  // Any sender: the host may already have left the bus name when its last
  // broadcast arrives, and the message carries its meaning in the code.
  listening_ = QDBusConnection::sessionBus().connect(
      QString(), QStringLiteral("/Plugin"), QStringLiteral("Marquill4.Plugin"),
      QStringLiteral("PlugInMessage"), this, SLOT(onPlugInMessage(int)));
}

void PlugInMessageListener::onPlugInMessage(int code) {
  emit messageReceived(code);
  if (code == kCloseMessage) emit closeRequested();
}

}  // namespace tendrel
