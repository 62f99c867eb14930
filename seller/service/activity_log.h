#pragma once
// The activity log "tlnlog.txt": every request sent to the service, every
// reply and every error report, written only while Options/Logging is "Yes".
// The file is private to the user, and secrets in requests never reach it.
#include <string>

namespace tendrel {

class SettingsStore;

class ActivityLog {
 public:
  // path: the log file; empty means "tlnlog.txt" in the program folder.
  explicit ActivityLog(const SettingsStore& settings, std::string path = {});

  // Appends one entry (date, time, blank, text, then a line of hyphens) when
  // logging is on. A file that cannot be written is passed over: the log
  // must never stop an exchange.
  void Write(const std::string& text) const;
  // Whether entries are written now (Options/Logging is "Yes").
  bool Enabled() const;

  const std::string& Path() const { return path_; }

 private:
  const SettingsStore& settings_;
  std::string path_;
};

// The entry text with the values of vendor_password, cc_number and any
// ..._key parameter replaced by "****". A value runs to the next "&", line
// break or the end, so both a query and a request listed one field a line are
// covered.
// Product-list entries ("{PRODUCT}" and seven ";"-separated fields ended by
// "{END}") lose their last field, the product's key, the same way.
std::string MaskSecrets(const std::string& text);
// Only the product-list part of MaskSecrets.
std::string MaskProductKeys(const std::string& text);

}  // namespace tendrel
