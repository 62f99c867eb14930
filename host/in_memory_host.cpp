#include "host/in_memory_host.h"

#include <algorithm>
#include <filesystem>
#include <fstream>


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

bool DocumentCall(HostCall call, const std::string& name, const std::vector<HostValue>& args, bool docOpen,
                  HtmlDocument& doc, HostValue* answer) {
  switch (call) {
    case HostCall::GetSelText: *answer = docOpen ? doc.SelectedText() : std::string(); return true;
    case HostCall::GetAllText: *answer = docOpen ? doc.Text() : std::string(); return true;
    case HostCall::GetSelStart: *answer = docOpen ? doc.SelStart() : 0; return true;
    case HostCall::GetHtmlTitle: *answer = docOpen ? doc.Title() : std::string(); return true;
    case HostCall::PutTextAtCursor: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertAtCursor(t);
      *answer = docOpen;
      return true;
    }
    case HostCall::ReplaceAllText: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.ReplaceAll(t);
      *answer = docOpen;
      return true;
    }
    case HostCall::SetSelection: {
      int start = IntArg(name, args, 0), length = IntArg(name, args, 1);
      if (docOpen) doc.SetSelection(start, length);
      *answer = {};
      return true;
    }
    case HostCall::PutTextHead: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertInHead(t);
      *answer = {};
      return true;
    }
    case HostCall::InsertBeforeSlashBodyTag: {
      const std::string& t = TextArg(name, args, 0);
      if (docOpen) doc.InsertBeforeBodyEnd(t);
      *answer = {};
      return true;
    }
    default: return false;
  }
}

void CheckAnswerTravels(const std::string& name, const HostValue& answer) {
  if (auto text = std::get_if<std::string>(&answer)) CheckAnswerTravels(name, std::string_view(*text));
}

void CheckAnswerTravels(const std::string& name, std::string_view answer) {
  const size_t nul = answer.find('\0');
  if (nul == std::string_view::npos) return;
  throw EHostError("the answer to " + name + " holds a NUL character at byte " + std::to_string(nul) + " (of " +
                   std::to_string(answer.size()) + "), which a D-Bus text cannot carry, so it is not sent");
}

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
  HostValue answer = Answer(name, args);
  CheckAnswerTravels(name, answer);
  return answer;
}

HostValue InMemoryHost::Answer(const std::string& name, const std::vector<HostValue>& args) {
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

    default: break;
  }
  HostValue answer;
  if (DocumentCall(info->call, name, args, docOpen, doc, &answer)) return answer;
  throw EHostError("Unknown name: " + name);
}

}  // namespace tendrel
