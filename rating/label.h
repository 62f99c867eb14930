#pragma once
// The PICS-1.1 label of a rating, the SafeSurf logo link, and their insertion
// into the document open in the host editor.
#include <functional>
#include <string>

#include "rating/rating.h"

namespace tendrel {

class HostEditor;
class UserDialogs;

// One line, no line end:
// <META http-equiv="PICS-Label" content='(PICS-1.1 "<service>" l [gen true for "<url>"] by "<email>"
// r (SS~~000 <age>[ SS~~0xx <level>]...))'>
// The URL and e-mail are trimmed; a "'" anywhere in the content is written
// as &#39; so it cannot end the single-quoted attribute.
std::string BuildLabel(const Rating& rating, const std::string& serviceId);

// <A HREF="<home page>"><IMG BORDER=0 SRC="ssurf.gif"></A>
std::string BuildLogoLink(const std::string& homePage);

inline constexpr char kLogoFileName[] = "ssurf.gif";

struct LabelInsertion {
  std::string label;
  bool addImage = true;
  std::string logoLink;
  // Makes the logo file ready and gives its full name (the program folder's
  // copy); may throw.
  std::function<std::string()> logoFile;
  // Saves the document through the host; the window steps aside meanwhile.
  std::function<void(HostEditor&)> forceSave;
};

// The Finish sequence: checks for an open document (a new one is made when
// there is none), puts the label into the head and, when wanted, the logo
// link before the closing body tag, asks for the document to be saved until
// it has a folder, and has the host copy the logo file there. Any failure
// (a host call, no host object, the logo file) ends the sequence quietly:
// the wizard closes in every case. host may be null.
void InsertRatingLabel(HostEditor* host, UserDialogs& dialogs, const LabelInsertion& insertion);

// The program folder's logo file, written there from the program's resources
// when missing. Throws FileError.
std::string PrepareLogoFile();

}  // namespace tendrel
