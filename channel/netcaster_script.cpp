// The Netcaster script: five SCRIPT elements for the document's HEAD. The
// first holds the channel's values; the others are fixed code that finds
// Netcaster, starts it when needed and hands it the channel.
#include <algorithm>
#include <initializer_list>

#include "channel/channel_text.h"
#include "channel/generate_channels.h"
#include "common/paths.h"
#include "common/text.h"

namespace tendrel::channel {

namespace {

void Lines(std::string& out, std::initializer_list<std::string_view> lines) {
  for (std::string_view l : lines) out.append(l).append("\r\n");
}

// The update list's items "30 Minutes", "Hour", "Day", "Week" as Netcaster's
// interval codes.
int IntervalCode(int index) { return 3 + std::clamp(index, 0, 3); }

std::string Single(std::string_view v) { return EscapeScriptString(v, '\''); }
std::string Double(std::string_view v) { return EscapeScriptString(v, '"'); }

void ChannelValues(std::string& s, const ChannelFields& f, const std::string& docFileURL) {
  const std::string url = Trim(f.url);
  std::string name = Trim(f.title);
  if (name.empty()) name = url;
  // An empty depth would leave "var chanDepth =;", a syntax error; 1 is the field's least.
  const std::string depth = Trim(f.netscapeDepth).empty() ? std::string("1") : f.netscapeDepth;
  const std::string icon = Trim(f.netscapePicture);
  const std::string card = icon.empty() ? std::string() : MakeRelativePath(docFileURL, icon);

  Lines(s, {"<SCRIPT LANGUAGE=\"JavaScript1.2\">", "<!--"});
  s.append("var chanURL = '").append(Single(url)).append("';\r\n");
  s.append("var chanName = \"").append(Double(name)).append("\";\r\n");
  s.append("var chanDesc = \"").append(Double(Trim(f.description))).append("\";\r\n");
  s.append("var chanIntervalTime = ").append(std::to_string(IntervalCode(f.netscapeUpdate))).append(";\r\n");
  s.append("var chanAbsoluteTime = 0;\r\n");
  s.append("var chanDepth =").append(depth).append(";\r\n");
  Lines(s, {"var chanActive = 1;", "var chanTopHint = screen.availTop;", "var chanLeftHint = screen.availLeft;",
            "var chanWidthHint = 600;", "var chanHeightHint = 391;"});
  s.append("var chanMode=\"").append(Double(Trim(f.netscapeDisplay))).append("\";\r\n");
  s.append("var chanType=\"1\";\r\n");
  s.append("var chanCardURL ='").append(Single(card)).append("';\r\n");
  Lines(s, {"//-->", "</SCRIPT>"});
}

void NetcasterCheck(std::string& s, const PennantConfig& config) {
  Lines(s, {"<SCRIPT LANGUAGE=\"JavaScript\">", "<!--",
            "//if browser is not Netscape 4.0 or higher, then open Netscape download page",
            "if (!(navigator.appName == 'Netscape') && (navigator.appVersion.substring(0,3) >= '4')) "
            "needNetcaster();",
            "var getChannelObject = null;", "var addChannel = null;", "var nc = null;     //Netcaster component",
            "var ncActive = 0;  //flag for checking if Netcaster is active",
            "function needNetcaster() {  //need Communicator and/or Netcaster"});
  s.append("window.open('").append(Single(config.NetcasterDownload()));
  s.append("','need_netcaster','width=500,height=400,titlebar=yes,toolbar=no, location=no,directories=no,"
           "status=yes,menubar=no,scrollbars=yes');\r\n");
  Lines(s, {"}", "", "//-->", "</SCRIPT>"});
}

void NetcasterStart(std::string& s) {
  Lines(s, {"<SCRIPT>", "<!--", "function activateNetcaster() {",
            "\tvar activateWin = window.open('','activating_netcaster','width=300,height=200');",
            "\tvar loadText = \"<HTML><BODY>\" +",
            "\t\t\"In order to add a channel to Netcaster, you first need to launch Netcaster. <P> \" +",
            "\t\t\"<FORM><INPUT TYPE=\\\"button\\\" VALUE=\\\"Launch Netcaster!\\\" \" +",
            "\t\t\"onClick=\\\"opener.nc.activate(); opener.ncActive = 1; "
            "document.write(opener.waitText); document.close();\\\">\" +",
            "\t\t\"</FORM></BODY></HTML>\";",
            "\tactivateWin.document.write(loadText);", "\tactivateWin.document.close();", "}",
            "\tvar waitText = \"<HTML><BODY onLoad=\\\"setTimeout('self.close()',15000)\\\">\" +",
            "\t\t\"Please wait a few seconds until Netcaster finishes loading. \" +",
            "\t\t\"Then, try again to add the channel. \" +", "\t\t\"</BODY></HTML>\";",
            "function netcasterSniffer() {", "\tif (components[\"netcaster\"] == null) {",
            "\t\talert(\"\\nThis page requires the Netcaster component.\");", "\t\tneedNetcaster();",
            "\t}\telse {", "\t\tnc = components[\"netcaster\"];", "\t\tif (nc.active == false) {",
            "\t\t\tactivateNetcaster();", "\t\t}", "\t\telse {", "\t\t\tncActive = 1;", "\t\t\taddChannelAPI();",
            "\t\t}", "\t}", "}", "//-->", "</SCRIPT>"});
}

void NetcasterAdd(std::string& s) {
  Lines(s, {"<SCRIPT LANGUAGE=\"JavaScript1.2\">", "<!--", "function addChannelAPI() {", "\tif (ncActive == 0) {",
            "\t\tnetcasterSniffer();", "\t}", "\telse {", "\t\tnc = components[\"netcaster\"];",
            "\t\tgetChannelObject = nc.getChannelObject;", "\t\taddChannel = nc.addChannel;",
            "\t\tvar chan = getChannelObject();", "\t\tchan.url = chanURL;", "\t\tchan.name = chanName;",
            "\t\tchan.desc = chanDesc;", "\t\tchan.intervalTime = chanIntervalTime;",
            "\t\tchan.absoluteTime = chanAbsoluteTime;", "\t\tchan.depth = chanDepth;",
            "\t\tchan.active = chanActive;", "\t\tchan.topHint = chanTopHint;", "\t\tchan.leftHint = chanLeftHint;",
            "\t\tchan.widthHint =  chanWidthHint;", "\t\tchan.heightHint = chanHeightHint;",
            "\t\tchan.mode=chanMode;", "\t\tchan.type=chanType;          // 1 = HTTP channel; 2 = Castanet channel",
            "\t\tchan.cardURL = chanCardURL;", "\t\taddChannel(chan);", "\t}",
            "\tncActive = 0; //set flag back to 0, in case user exits Netcaster", "}", "//-->", "</SCRIPT>"});
}

void AddMyChannel(std::string& s) {
  Lines(s, {"<SCRIPT LANGUAGE=\"JavaScript\">", "<!--", "function addMyChannel() {",
            "if ((navigator.appName == \"Netscape\") && (navigator.appVersion.substring(0,3) >= '4')) {",
            "\t\taddChannelAPI();", "\t}", "else {", "\tneedNetcaster();", "\t}", "}", "//-->", "</SCRIPT>"});
}

}  // namespace

std::string BuildNetcasterScript(const ChannelFields& f, const std::string& docFileURL, const PennantConfig& config) {
  std::string s;
  ChannelValues(s, f, docFileURL);
  NetcasterCheck(s, config);
  NetcasterStart(s);
  NetcasterAdd(s);
  AddMyChannel(s);
  return s;
}

}  // namespace tendrel::channel
