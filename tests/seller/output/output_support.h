#pragma once
// Helpers of the page output tests.
#include <QFile>
#include <string>
#include <vector>

#include "common/text.h"
#include "seller/authoring/applet.h"
#include "seller/core/settings.h"
#include "seller/output/page_output.h"

// The shipped text files, registered as the program registers them.
inline void RegisterTextResources() { Q_INIT_RESOURCE(text); }

namespace outputtest {

// Occurrences of `what` in `text`, ignoring case.
inline size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = tendrel::PosCI(what, text); at != 0; at = tendrel::PosFrom(what, text, at)) ++n;
  return n;
}

// A Salebox tag as BuildTag writes it.
inline std::string SaleboxTag(tendrel::SettingsStore& settings, const std::string& name,
                              const std::string& productID, const std::string& description = "") {
  tendrel::TApplet a(&settings);
  a.AppletName = name;
  a.ProductID = productID;
  a.Description = description;
  a.VendorID = "V1";
  a.Cost = "10";
  a.MediaType = "text/plain";
  a.SourceFile = "/site/" + productID + ".txt";
  a.Width = "200";
  a.Height = "300";
  return a.BuildTag();
}

// The shipped template's bytes.
inline std::string ShippedTemplate() {
  RegisterTextResources();
  QFile f(QStringLiteral(":/text/jvscript"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

// The script block the output puts into a page of `count` Saleboxes: the
// shipped template with CR LF line ends, no line end after its last line.
inline std::string ScriptBlockFor(size_t count) {
  std::string text;
  const std::string raw = ShippedTemplate();
  for (const char c : raw) {
    if (c == '\n')
      text += "\r\n";
    else if (c != '\r')
      text += c;
  }
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  return tendrel::ReplaceText(text, "[NUMVENDAPPLETS]", std::to_string(count), true);
}

// The Salebox names in a text, in order.
inline std::vector<std::string> SaleboxNames(const std::string& text) {
  std::vector<std::string> names;
  const std::string key = "<applet name=\"";
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    const size_t begin = at + key.size();
    const std::string name = text.substr(begin, text.find('"', begin) - begin);
    if (name != "tilloncommsapplet") names.push_back(name);
  }
  return names;
}

}  // namespace outputtest
