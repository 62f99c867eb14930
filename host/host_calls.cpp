#include "host/host_calls.h"

namespace tendrel {

HostValue HostCalls::Call(HostCall call, const std::vector<HostValue>& args) {
  return host_.Invoke(std::string(CallName(call)), args);
}

std::string HostCalls::Text(HostCall call, const std::vector<HostValue>& args) {
  return HostValueToText(Call(call, args));
}

std::string HostCalls::GetAppPath() { return Text(HostCall::GetAppPath); }

std::string HostCalls::IsOpenDoc() { return Text(HostCall::IsOpenDoc); }

void HostCalls::OpenNewFile() { Call(HostCall::OpenNewFile); }
std::string HostCalls::CurrentDocName() { return Text(HostCall::CurrentDocName); }
std::string HostCalls::GetWorkDir() { return Text(HostCall::GetWorkDir); }
void HostCalls::ForceSave() { Call(HostCall::ForceSave); }
std::string HostCalls::GetSelText() { return Text(HostCall::GetSelText); }
std::string HostCalls::GetAllText() { return Text(HostCall::GetAllText); }
int HostCalls::GetSelStart() { return host_.CallInt(std::string(CallName(HostCall::GetSelStart))); }
void HostCalls::PutTextAtCursor(const std::string& text) { Call(HostCall::PutTextAtCursor, {text}); }
void HostCalls::ReplaceAllText(const std::string& text) { Call(HostCall::ReplaceAllText, {text}); }
void HostCalls::SetSelection(int start, int length) { Call(HostCall::SetSelection, {start, length}); }
void HostCalls::PutTextHead(const std::string& text) { Call(HostCall::PutTextHead, {text}); }
void HostCalls::InsertBeforeSlashBodyTag(const std::string& text) {
  Call(HostCall::InsertBeforeSlashBodyTag, {text});
}
std::string HostCalls::GetHtmlTitle() { return Text(HostCall::GetHtmlTitle); }
void HostCalls::CopyFiles(const std::string& path) { Call(HostCall::CopyFiles, {path}); }
std::string HostCalls::BrowserList() { return Text(HostCall::BrowserList); }
void HostCalls::BrowserPreview(const std::string& target) { Call(HostCall::BrowserPreview, {target}); }
void HostCalls::PreviewWith(const std::string& path, const std::string& program) {
  Call(HostCall::PreviewWith, {path, program});
}

}  // namespace tendrel
