#include "host/plugin_message.h"

#include <QDBusConnection>

#include "host/host_protocol.h"

namespace tendrel {

PlugInMessageListener::PlugInMessageListener(QObject* parent) : QObject(parent) {
  // Any sender: the host may already have left the bus name when its last
  // broadcast arrives, and the message carries its meaning in the code.
  listening_ = QDBusConnection::sessionBus().connect(
      QString(), QString::fromLatin1(kHostObjectPath), QString::fromLatin1(kHostInterface),
      QString::fromLatin1(kHostMessageSignal), this, SLOT(onPlugInMessage(int)));
}

void PlugInMessageListener::onPlugInMessage(int code) {
  emit messageReceived(code);
  if (code == kCloseMessage) emit closeRequested();
}

}  // namespace tendrel
