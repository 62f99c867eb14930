#pragma once
// The host's broadcast to its plug-ins: the D-Bus signal PlugInMessage(int)
// of interface Marquill4.Plugin at /Plugin; 1148 asks them to end.
#include <QObject>

#include "host/host_protocol.h"

namespace tendrel {

class PlugInMessageListener : public QObject {
  Q_OBJECT
 public:
  static constexpr int kCloseMessage = kHostCloseMessage;

  // Listens on the session bus from construction on.
  explicit PlugInMessageListener(QObject* parent = nullptr);
  // False when there is no session bus to listen on.
  bool listening() const { return listening_; }

 signals:
  void messageReceived(int code);
  void closeRequested();  // code 1148

 private slots:
  void onPlugInMessage(int code);

 private:
  bool listening_ = false;
};

}  // namespace tendrel
