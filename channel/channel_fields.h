#pragma once
// What the channel wizard collects: the fields of its pages as the user left
// them (untrimmed), plus which viewers are ticked. The generators read only
// this, so they run without the form.
#include <string>

namespace tendrel::channel {

// The wizard's pages in the order the page control holds them.
enum class PushPage { Main, Common, PointCast, IE, Netscape, Intro, Finish };

// The fields a failed check can put the focus on.
enum class PushField { CommonURL, IEFile, IEIcon, IEPicture, PCFile, PCSelf };

struct ChannelFields {
  bool ie = true;
  bool pointCast = true;
  bool netcaster = true;

  std::string title;        // editCommonTitle
  std::string url;          // cmbCommonURL
  std::string description;  // editDescription

  std::string ieFile;     // editIEFile, file-URL form
  std::string ieIcon;     // cmbIEIcon
  std::string iePicture;  // cmbIEPicture

  std::string pcFile;   // editPCFile, file-URL form
  std::string pcSelf;   // cmbPCSelf
  std::string pcHours;  // editPCSchedule

  int netscapeUpdate = 2;                 // cmbNetscapeUpdate index: 30 Minutes, Hour, Day, Week
  std::string netscapeDepth = "1";        // editNetscapeDownload
  std::string netscapeDisplay = "webtop"; // cmbNetscapeDisplay text
  std::string netscapePicture;            // cmbNetscapePicture
};

// A check that stops the generation: the message shown (prefix + reason),
// the page to show and the field to focus.
struct CheckFailure {
  std::string message;
  PushPage page;
  PushField field;
};

}  // namespace tendrel::channel
