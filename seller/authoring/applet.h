#pragma once
// One Salebox: a product sold through the Tillon service, and the applet tag
// that shows it on the vendor's page. The tag written here is the one format
// every other part of Bravant writes or reads.
#include <cstdint>
#include <string>

#include "seller/authoring/cipher.h"

namespace tendrel {

class HostEditor;
class SettingsStore;
class UserDialogs;

class TApplet {
 public:
  // The settings store gives the class location and the vendor's identity,
  // the host the open document, the dialogs the place to report a missing
  // source file. Any of them may be absent: the record then does without.
  explicit TApplet(SettingsStore* settings = nullptr, HostEditor* host = nullptr,
                   UserDialogs* dialogs = nullptr)
      : settings_(settings), host_(host), dialogs_(dialogs) {}

  std::string ProductName;
  std::string VendorID;
  std::string VendorPassword;  // in clear, only while a registration request is built
  std::string ProductID;
  std::string Description;
  std::string UploadState;
  std::string PreviewURL;
  std::string MediaType;
  std::string Cost;
  std::string Width;
  std::string ClassLocation;
  std::string Height;
  std::string EncodedFile;
  TCipherKey Key;
  std::string SourceFile;
  bool UseFrame = false;
  int32_t DocPosition = 0;
  int32_t DocLength = 0;
  std::string AppletName;

  // The host editor whose open document the record writes to; null when
  // there is none. The record is made before the host is reached and lives
  // on when it is replaced, so it is told rather than remade.
  void SetHost(HostEditor* host) { host_ = host; }
  HostEditor* Host() const { return host_; }

  void Clear();
  std::string BuildTag();
  // Reads a Salebox tag found at `offset` in the document; false, with the
  // record untouched, when the text is not a Salebox tag.
  bool StoreApplet(const std::string& tag, int32_t offset);
  // Puts the freshly built tag in place of the record's old tag in the host
  // document. DocPosition and DocLength stay as they were, so callers update
  // several tags of one page from the last to the first.
  bool UpdateInDocument();
  std::string BuildRegistrationURL(const std::string& location, bool isFullURL);
  void EncodeFile(TTillonCipher& cipher);
  std::string BuildPreviewURL(int productNumber, const std::string& hexKey) const;

 private:
  std::string ClassLocationSetting() const;
  SettingsStore* settings_;
  HostEditor* host_;
  UserDialogs* dialogs_;
};

}  // namespace tendrel
