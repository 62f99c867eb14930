#pragma once
// The host editor's automation protocol in one place: where it sits on the
// session bus, the names of its errors and signal, and every call it serves
// with what a client must know about it. Clients, the stand-in editor and the
// in-memory host all take the names from here.
#include <array>
#include <string_view>

namespace tendrel {

// Where the automation object lives on the session bus.
inline constexpr char kHostBusName[] = "Marquill4.Plugin";
inline constexpr char kHostObjectPath[] = "/Plugin";
inline constexpr char kHostInterface[] = "Marquill4.Plugin";
// The late-bound call and the window list, as methods of that interface.
inline constexpr char kHostInvokeMethod[] = "Invoke";
inline constexpr char kHostWindowsMethod[] = "Windows";
// The broadcast to running plug-ins, and the code that asks them to end.
inline constexpr char kHostMessageSignal[] = "PlugInMessage";
inline constexpr int kHostCloseMessage = 1148;
// Errors the host answers: a name it does not serve, a call that failed.
inline constexpr char kHostErrorUnknownName[] = "Marquill4.Plugin.Error.UnknownName";
inline constexpr char kHostErrorFailed[] = "Marquill4.Plugin.Error.Failed";

// Every call of the automation object.
enum class HostCall {
  GetAppPath,
  IsOpenDoc,
  OpenNewFile,
  CurrentDocName,
  GetWorkDir,
  ForceSave,
  GetSelText,
  GetAllText,
  GetSelStart,
  PutTextAtCursor,
  ReplaceAllText,
  SetSelection,
  PutTextHead,
  InsertBeforeSlashBodyTag,
  GetHtmlTitle,
  CopyFiles,
  BrowserList,
  BrowserPreview,
  PreviewWith,
};

// How a client treats a call's reply.
enum class ReplyWait {
  Bounded,  // the answer comes at once; a silent host is a failure after the client's time-out
  User,     // the host may wait for the user (a save dialog): no time-out
};

struct HostCallInfo {
  HostCall call;
  // The name as clients send it; the host matches names without regard to case.
  std::string_view name;
  ReplyWait wait;
};

inline constexpr std::array<HostCallInfo, 19> kHostCalls = {{
    {HostCall::GetAppPath, "GetAppPath", ReplyWait::Bounded},
    {HostCall::IsOpenDoc, "IsOpenDoc", ReplyWait::Bounded},
    {HostCall::OpenNewFile, "OpenNewFile", ReplyWait::Bounded},
    {HostCall::CurrentDocName, "CurrentDocName", ReplyWait::Bounded},
    {HostCall::GetWorkDir, "GetWorkDir", ReplyWait::Bounded},
    {HostCall::ForceSave, "ForceSave", ReplyWait::User},
    {HostCall::GetSelText, "getseltext", ReplyWait::Bounded},
    {HostCall::GetAllText, "getalltext", ReplyWait::Bounded},
    {HostCall::GetSelStart, "getselstart", ReplyWait::Bounded},
    {HostCall::PutTextAtCursor, "puttextatcursor", ReplyWait::Bounded},
    {HostCall::ReplaceAllText, "replacealltext", ReplyWait::Bounded},
    {HostCall::SetSelection, "setselection", ReplyWait::Bounded},
    {HostCall::PutTextHead, "puttexthead", ReplyWait::Bounded},
    {HostCall::InsertBeforeSlashBodyTag, "TEXT_INSERTBEFORESLASHBODYTAG", ReplyWait::Bounded},
    {HostCall::GetHtmlTitle, "DOC_GETHTMLTITLE", ReplyWait::Bounded},
    {HostCall::CopyFiles, "copyfiles", ReplyWait::Bounded},
    {HostCall::BrowserList, "BrowserList", ReplyWait::Bounded},
    {HostCall::BrowserPreview, "BrowserPreview", ReplyWait::Bounded},
    {HostCall::PreviewWith, "PreviewWith", ReplyWait::Bounded},
}};

// The entry of a call.
constexpr const HostCallInfo& CallInfo(HostCall call) {
  return kHostCalls[static_cast<size_t>(call)];
}
constexpr std::string_view CallName(HostCall call) { return CallInfo(call).name; }

// The entry whose name equals `name` without regard to (ASCII) case; null
// for a name the host does not serve.
const HostCallInfo* FindHostCall(std::string_view name);

}  // namespace tendrel
