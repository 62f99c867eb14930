#include "host/in_memory_host.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "host/host_protocol.h"

namespace tendrel {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // call names fold ASCII only
  return s;
}

const std::string& TextArg(const std::string& call, const std::vector<HostValue>& args, size_t i) {
  if (i >= args.size() || !std::holds_alternative<std::string>(args[i]))
    throw EHostError(call + ": argument " + std::to_string(i + 1) + " must be a text");
  return std::get<std::string>(args[i]);
}

int IntArg(const std::string& call, const std::vector<HostValue>& args, size_t i) {
  if (i >= args.size() || !std::holds_alternative<int>(args[i]))
    throw EHostError(call + ": argument " + std::to_string(i + 1) + " must be an integer");
  return std::get<int>(args[i]);
}

}  // namespace

std::string InMemoryHost::WorkDir() const {
  if (docName.empty()) return {};
  return std::filesystem::path(docName).parent_path().string();
}

std::vector<std::string> InMemoryHost::CallNames() const {
  std::vector<std::string> out;
  for (const auto& c : calls) out.push_back(c.name);
  return out;
}

HostValue InMemoryHost::Invoke(const std::string& name, const std::vector<HostValue>& args) {
  calls.push_back({name, args});
  if (failing.count(Lower(name))) throw EHostError("The editor could not carry out " + name);
  const HostCallInfo* info = FindHostCall(name);
  if (info == nullptr) throw EHostError("Unknown name: " + name);

  switch (info->call) {
    case HostCall::GetAppPath: return appPath;
    case HostCall::IsOpenDoc: return std::string(docOpen ? "true" : "false");
    case HostCall::OpenNewFile:
      doc.ReplaceAll("");
      docName.clear();
      docOpen = true;
      return {};
    case HostCall::CurrentDocName: return docOpen ? docName : std::string("error");
    case HostCall::GetWorkDir: return WorkDir();
    case HostCall::BrowserList: return browserList;
    case HostCall::ForceSave: {
      if (!docOpen) return {};
      if (docName.empty()) docName = saveAsName;
      if (docName.empty()) return {};
      std::ofstream out(docName, std::ios::binary | std::ios::trunc);
      out << doc.Text();
      if (!out) throw EHostError("ForceSave: could not write " + docName);
      return {};
    }
    case HostCall::CopyFiles: {
      const std::string& src = TextArg(name, args, 0);
      copied.push_back(src);
      std::string dir = WorkDir();
      if (dir.empty()) throw EHostError("copyfiles: the document has not been saved");
      std::error_code ec;
      std::filesystem::copy_file(src, std::filesystem::path(dir) / std::filesystem::path(src).filename(),
                                 std::filesystem::copy_options::overwrite_existing, ec);
      if (ec) throw EHostError("copyfiles: " + ec.message());
      return {};
    }
    case HostCall::BrowserPreview:
      previews.emplace_back(TextArg(name, args, 0), std::string());
      return {};
    case HostCall::PreviewWith:
      previews.emplace_back(TextArg(name, args, 0), TextArg(name, args, 1));
      return {};

    // The remaining calls work on the open document; without one the
    // readers answer empty and the writers do nothing.
    case HostCall::GetSelText: return docOpen ? doc.SelectedText() : std::string();
    case HostCall::GetAllText: return docOpen ? doc.Text() : std::string();
    case HostCall::GetSelStart: return docOpen ? doc.SelStart() : 0;
    case HostCall::GetHtmlTitle: return docOpen ? doc.Title() : std::string();
    case HostCall::PutTextAtCursor: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertAtCursor(t);
      return docOpen;
    }
    case HostCall::ReplaceAllText: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.ReplaceAll(t);
      return docOpen;
    }
    case HostCall::SetSelection: {
      int start = IntArg(name, args, 0), length = IntArg(name, args, 1);
      if (docOpen) doc.SetSelection(start, length);
      return {};
    }
    case HostCall::PutTextHead: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertInHead(t);
      return {};
    }
    case HostCall::InsertBeforeSlashBodyTag: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertBeforeBodyEnd(t);
      return {};
    }
  }
  throw EHostError("Unknown name: " + name);
}

}  // namespace tendrel
