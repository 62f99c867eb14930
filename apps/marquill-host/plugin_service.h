#pragma once
// The editor's automation object on the session bus: Marquill4.Plugin at
// /Plugin. Every call works on the document of the editor's window.
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantList>

#include "host/in_memory_host.h"

namespace tendrel {

class HostWindow;

struct WindowEntry {
  QString caption;
  QString className;
};
using WindowEntryList = QList<WindowEntry>;

class PluginService : public QObject, protected QDBusContext {
  Q_OBJECT
  // moc takes a literal here: it must equal kHostInterface.
  Q_CLASSINFO("D-Bus Interface", "Marquill4.Plugin")
 public:
  explicit PluginService(HostWindow* window);
  // Registers the object and the bus name; the reason when it cannot.
  bool publish(QString* error);
  // Tells the plug-ins to end (1148) and waits until the bus has the message.
  void sayGoodbye();

  // The call behind Invoke, for a caller that is not on the bus. Throws
  // EHostError; ForceSave of an unnamed document is not handled here.
  HostValue call(const std::string& name, const std::vector<HostValue>& args);

 public slots:
  Q_SCRIPTABLE QDBusVariant Invoke(const QString& name, const QVariantList& args);
  Q_SCRIPTABLE WindowEntryList Windows();

 signals:
  Q_SCRIPTABLE void PlugInMessage(int code);

 private:
  void forceSaveWithDialog();
  // `bytes` as the text of an answer.
  const QString& TextAnswer(std::string_view bytes);
  HostValue browserPreview(const std::string& target);

  HostWindow* window_;
  InMemoryHost calls_;                // the calls about the editor rather than its document
  QList<QDBusMessage> waitingSaves_;  // ForceSave calls answered when the dialog closes
  QString answer_;                    // the text of the last answer
};

}  // namespace tendrel

Q_DECLARE_METATYPE(tendrel::WindowEntry)
Q_DECLARE_METATYPE(tendrel::WindowEntryList)
