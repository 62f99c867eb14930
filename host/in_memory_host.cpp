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
  const std::string n = Lower(name);
  if (failing.count(n)) throw EHostError("The editor could not carry out " + name);

  if (n == "getapppath") return appPath;
  if (n == "isopendoc") return std::string(docOpen ? "true" : "false");
  if (n == "opennewfile") {
    doc.ReplaceAll("");
    docName.clear();
    docOpen = true;
    return {};
  }
  if (n == "currentdocname") return docOpen ? docName : std::string("error");
  if (n == "getworkdir") return WorkDir();
  if (n == "browserlist") return browserList;

  if (n == "forcesave") {
    if (!docOpen) return {};
    if (docName.empty()) docName = saveAsName;
    if (docName.empty()) return {};
    std::ofstream out(docName, std::ios::binary | std::ios::trunc);
    out << doc.Text();
    if (!out) throw EHostError("ForceSave: could not write " + docName);
    return {};
  }

  // The remaining calls work on the open document.
  if (!docOpen) {
    if (n == "getseltext" || n == "getalltext" || n == "doc_gethtmltitle") return std::string();
    if (n == "getselstart") return 0;
  }
  if (n == "getseltext") return doc.SelectedText();
  if (n == "getalltext") return doc.Text();
  if (n == "getselstart") return doc.SelStart();
  if (n == "doc_gethtmltitle") return doc.Title();
  if (n == "puttextatcursor") {
    const std::string& t = TextArg(name, args, 0);
    if (docOpen) doc.InsertAtCursor(t);
    return docOpen;
  }
  if (n == "replacealltext") {
    const std::string& t = TextArg(name, args, 0);
    if (docOpen) doc.ReplaceAll(t);
    return docOpen;
  }
  if (n == "setselection") {
    int start = IntArg(name, args, 0), length = IntArg(name, args, 1);
    if (docOpen) doc.SetSelection(start, length);
    return {};
  }
  if (n == "puttexthead") {
    const std::string& t = TextArg(name, args, 0);
    if (docOpen) doc.InsertInHead(t);
    return {};
  }
  if (n == "text_insertbeforeslashbodytag") {
    const std::string& t = TextArg(name, args, 0);
    if (docOpen) doc.InsertBeforeBodyEnd(t);
    return {};
  }
  if (n == "copyfiles") {
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
  if (n == "browserpreview") {
    previews.emplace_back(TextArg(name, args, 0), std::string());
    return {};
  }
  if (n == "previewwith") {
    previews.emplace_back(TextArg(name, args, 0), TextArg(name, args, 1));
    return {};
  }
  throw EHostError("Unknown name: " + name);
}

}  // namespace tendrel
