#pragma once
// Points XDG_CONFIG_HOME and XDG_DATA_HOME at a fresh temporary folder for the
// life of the object, so registry files and program folders never touch the
// user's own.
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

class TempHome {
 public:
  TempHome() {
    Save("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    Save("XDG_DATA_HOME", oldData_, hadData_);
    setenv("XDG_CONFIG_HOME", config().c_str(), 1);
    setenv("XDG_DATA_HOME", data().c_str(), 1);
  }
  ~TempHome() {
    Restore("XDG_CONFIG_HOME", oldConfig_, hadConfig_);
    Restore("XDG_DATA_HOME", oldData_, hadData_);
  }
  std::string root() const { return dir_.path().toStdString(); }
  std::string config() const { return root() + "/config"; }
  std::string data() const { return root() + "/data"; }

 private:
  static void Save(const char* name, std::string& value, bool& had) {
    const char* v = std::getenv(name);
    had = v != nullptr;
    if (v) value = v;
  }
  static void Restore(const char* name, const std::string& value, bool had) {
    if (had) setenv(name, value.c_str(), 1);
    else unsetenv(name);
  }
  QTemporaryDir dir_;
  std::string oldConfig_, oldData_;
  bool hadConfig_ = false, hadData_ = false;
};
