#include "host/dbus_host_editor.h"

#include "host/dbus_values.h"
#include "host/host_log.h"
#include "host/host_protocol.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <climits>
#include <limits>

namespace tendrel {

namespace {

const QString kService = QString::fromLatin1(kHostBusName);
const QString kPath = QString::fromLatin1(kHostObjectPath);
const QString kInterface = QString::fromLatin1(kHostInterface);
const QString kUnknownNameError = QString::fromLatin1(kHostErrorUnknownName);

QVariant ToVariant(const HostValue& v) {
  if (auto s = std::get_if<std::string>(&v)) return QString::fromStdString(*s);
  if (auto i = std::get_if<int>(&v)) return *i;
  if (auto b = std::get_if<bool>(&v)) return *b;
  return QString();  // D-Bus has no empty value; nothing travels as an empty text
}

HostValue FromVariant(const std::string& name, const QVariant& v) {
  HostValue scalar;
  if (ScalarFromVariant(v, &scalar)) return scalar;
  // The editor answers "nothing" with an empty array.
  if (v.userType() == qMetaTypeId<QDBusArgument>()) {
    const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
    if (arg.currentType() == QDBusArgument::ArrayType) {
      arg.beginArray();
      bool empty = arg.atEnd();
      arg.endArray();
      if (empty) return std::monostate{};
    }
  } else if (v.userType() == QMetaType::QVariantList && v.toList().isEmpty()) {
    return std::monostate{};
  }
  throw EHostError("Marquill gave an answer of an unexpected kind to " + name + ".");
}

}  // namespace

std::unique_ptr<DBusHostEditor> DBusHostEditor::Create(int timeoutMs) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected())
    throw EHostError("There is no D-Bus session bus, so Marquill cannot be reached: " +
                     bus.lastError().message().toStdString());
  QDBusReply<QString> owner = bus.interface()->serviceOwner(kService);
  if (!owner.isValid() || owner.value().isEmpty())
    throw EHostError(std::string("Marquill is not running: nothing serves ") + kHostBusName + " on the session bus.");
  return std::unique_ptr<DBusHostEditor>(new DBusHostEditor(owner.value().toStdString(), timeoutMs));
}

HostValue DBusHostEditor::Invoke(const std::string& name, const std::vector<HostValue>& args) {
  try {
    return Call(name, args);
  } catch (const EHostError& e) {
    // The caller decides what the failure means; the trace keeps what it was.
    qCDebug(lcHost, "%s failed: %s", name.c_str(), e.what());
    throw;
  }
}

HostValue DBusHostEditor::Call(const std::string& name, const std::vector<HostValue>& args) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString owner = QString::fromStdString(owner_);
  QDBusMessage call = QDBusMessage::createMethodCall(owner, kPath, kInterface, QString::fromLatin1(kHostInvokeMethod));
  QVariantList list;
  for (const HostValue& a : args) list << ToVariant(a);
  call << QString::fromStdString(name) << QVariant::fromValue(list);

  const HostCallInfo* info = FindHostCall(name);
  const bool waitsForUser = info != nullptr && info->wait == ReplyWait::User;
  // INT_MAX is the bus library's "no time-out".
  QDBusMessage reply = bus.call(call, QDBus::Block, waitsForUser ? INT_MAX : timeoutMs_);

  if (reply.type() == QDBusMessage::ReplyMessage) {
    if (reply.arguments().size() != 1)
      throw EHostError("Marquill gave no answer to " + name + ".");
    QVariant v = reply.arguments().at(0);
    if (v.userType() == qMetaTypeId<QDBusVariant>()) v = qvariant_cast<QDBusVariant>(v).variant();
    return FromVariant(name, v);
  }

  const QString errName = reply.errorName();
  const std::string message = reply.errorMessage().toStdString();
  if (errName == kUnknownNameError)
    throw EHostError("Marquill does not know the call " + name + ".");
  if (errName.startsWith(kInterface + QLatin1Char('.')))
    throw EHostError("Marquill could not carry out " + name + ": " + message);

  // Everything else is the bus speaking: the editor is gone or silent.
  const bool alive = bus.isConnected() && bus.interface()->isServiceRegistered(owner).value();
  if (!alive)
    throw EHostError("Marquill has closed, so " + name + " could not be carried out.");
  if (reply.type() == QDBusMessage::ErrorMessage &&
      (errName == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
       errName == QLatin1String("org.freedesktop.DBus.Error.Timeout")))
    throw EHostError("Marquill did not answer " + name + " within " +
                     (timeoutMs_ % 1000 == 0 ? std::to_string(timeoutMs_ / 1000) + " seconds."
                                             : std::to_string(timeoutMs_) + " ms."));
  throw EHostError("The call " + name + " to Marquill failed: " + message);
}

}  // namespace tendrel
