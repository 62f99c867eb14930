#pragma once
// The typed face of the host editor's automation object: one member per call
// of the protocol, with the argument and result types the programs rely on.
// Programs call the host through this; HostEditor stays the late-bound
// transport underneath (D-Bus, or the in-memory host in tests).
#include <string>

#include "host/host_editor.h"
#include "host/host_protocol.h"

namespace tendrel {

class HostCalls {
 public:
  // Calls go to `host`, which must outlive this object. Every member throws
  // EHostError when the call fails.
  explicit HostCalls(HostEditor& host) : host_(host) {}

  HostEditor& Editor() const { return host_; }

  // The host's folder, to which relative paths are joined.
  std::string GetAppPath();
  // "true" or "false" as the host answers it. Left as text: the programs read
  // it by different rules (Bravant's document routines want exactly "true",
  // Pennant compares with "false", Kestrel with "false" in lower case).
  std::string IsOpenDoc();
  void OpenNewFile();
  // The document's path; "error" or empty when there is none.
  std::string CurrentDocName();
  // The document's folder; empty while it is unsaved.
  std::string GetWorkDir();
  // Saves, asking the user for a name if the document has none; waits for them.
  void ForceSave();
  std::string GetSelText();
  std::string GetAllText();
  int GetSelStart();
  void PutTextAtCursor(const std::string& text);
  void ReplaceAllText(const std::string& text);
  void SetSelection(int start, int length);
  void PutTextHead(const std::string& text);
  void InsertBeforeSlashBodyTag(const std::string& text);
  std::string GetHtmlTitle();
  void CopyFiles(const std::string& path);
  // Entries separated by character 30, each "caption=program path".
  std::string BrowserList();
  void BrowserPreview(const std::string& target);
  void PreviewWith(const std::string& path, const std::string& program);

 private:
  HostValue Call(HostCall call, const std::vector<HostValue>& args = {});
  std::string Text(HostCall call, const std::vector<HostValue>& args = {});

  HostEditor& host_;
};

}  // namespace tendrel
