// Pennant's window: start, defaults, page walk, summary, histories, pickers
// and help against the in-memory host.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "channel/push_walk.h"
#include "common/controls/tendrel_edit.h"
#include "push_fixture.h"

using namespace tendrel;
using namespace tendrel::channel;
using pushtest::Push;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<InMemoryHost> HostAt(const std::string& appPath) {
  auto h = std::make_unique<InMemoryHost>();
  h->appPath = appPath;
  return h;
}

}  // namespace

TEST(PennantStart, ShowsTheIntroWithEveryDefault) {
  TempHome home;
  Push w(HostAt("/opt/marquill"));
  ASSERT_TRUE(w.form->FormCreate());
  EXPECT_EQ(w.form->windowTitle().toStdString(), "Pennant v1.01");
  EXPECT_EQ(w.form->size(), QSize(413, 289));
  EXPECT_EQ(w.Find<QStackedWidget>("pageMain")->height(), 289 - 40);
  QStringList pages;
  auto* pageMain = w.Find<QStackedWidget>("pageMain");
  for (int i = 0; i < pageMain->count(); ++i) pages << pageMain->widget(i)->objectName();
  EXPECT_EQ(pages.join(QLatin1Char(' ')),
            QStringLiteral("tabMain tabCommon tabPointCast tabIE tabNetscape tabIntro tabFinish"));
  EXPECT_EQ(w.Page(), "tabIntro");
  EXPECT_FALSE(w.BackEnabled());
  EXPECT_EQ(w.NextCaption(), "&Next >>");
  EXPECT_EQ(w.Find<QPushButton>("btnHelp")->text(), QStringLiteral("&Help"));
  EXPECT_EQ(w.Find<QPushButton>("btnBack")->text(), QStringLiteral("<< &Back"));
  EXPECT_EQ(w.Find<QPushButton>("btnCancel")->text(), QStringLiteral("&Cancel"));

  EXPECT_EQ(w.Text("editCommonTitle"), "Tendrel Software");
  EXPECT_EQ(w.ComboText("cmbCommonURL"), "http://maker.test/");
  EXPECT_EQ(w.Text("editDescription"), "The makers of the Marquill Professional Web Editor");
  EXPECT_EQ(w.Text("editPCFile"), "file:///opt/marquill/html files/pcchannel.cdf");
  EXPECT_EQ(w.Text("editIEFile"), "file:///opt/marquill/html files/iechannel.cdf");
  EXPECT_EQ(w.ComboText("cmbPCSelf"), "http://");
  EXPECT_EQ(w.ComboText("cmbIEIcon"), "http://maker.test/push/tendrel.ico");
  EXPECT_EQ(w.ComboText("cmbNetscapePicture"), "http://maker.test/push/tendrel.ico");
  EXPECT_EQ(w.ComboText("cmbIEPicture"), "http://maker.test/push/tendrel.gif");
  EXPECT_EQ(w.ComboText("cmbNetscapeUpdate"), "Day");
  EXPECT_EQ(w.Find<QComboBox>("cmbNetscapeUpdate")->count(), 4);
  EXPECT_FALSE(w.Find<QComboBox>("cmbNetscapeUpdate")->isEditable());
  EXPECT_EQ(w.ComboText("cmbNetscapeDisplay"), "webtop");
  EXPECT_FALSE(w.Find<QComboBox>("cmbNetscapeDisplay")->isEditable());

  // The two numeric fields: the older revision of the edit, in bounds.
  auto* hours = w.Find<TTendrelEdit>("editPCSchedule");
  EXPECT_EQ(hours->Version(), "1.05");
  EXPECT_TRUE(hours->NumericOnly());
  EXPECT_EQ(hours->Min(), 1);
  EXPECT_EQ(hours->Max(), 744);
  EXPECT_EQ(hours->text(), QStringLiteral("1"));
  auto* depth = w.Find<TTendrelEdit>("editNetscapeDownload");
  EXPECT_EQ(depth->Version(), "1.05");
  EXPECT_EQ(depth->Min(), 1);
  EXPECT_EQ(depth->Max(), 99);
  EXPECT_EQ(depth->text(), QStringLiteral("1"));
  EXPECT_FALSE(hours->RegStore());

  // Every viewer starts chosen; the calls made are the folder's only.
  EXPECT_TRUE(w.Shown("imgIETick") && w.Shown("imgPCTick") && w.Shown("imgNetscapeTick"));
  EXPECT_FALSE(w.Shown("imgIECross") || w.Shown("imgPCCross") || w.Shown("imgNetscapeCross"));
  EXPECT_EQ(w.host->CallNames(), std::vector<std::string>{"GetAppPath"});
  EXPECT_EQ(w.Find<QWidget>("pnlPC")->toolTip(), QStringLiteral("Produce CDF file and code for  PointCast"));
}

TEST(PennantStart, AWindowsHostFolderGivesTheClassicFileURL) {
  TempHome home;
  Push w(HostAt("C:\\Program Files\\Marquill"));
  ASSERT_TRUE(w.form->FormCreate());
  EXPECT_EQ(w.Text("editPCFile"), "file:///C|/Program Files/Marquill/html files/pcchannel.cdf");
  w.form->OpenPage(PushPage::Finish);
  EXPECT_EQ(w.Text("editFinishPC"), "C:\\Program Files\\Marquill\\html files\\pcchannel.cdf");
}

TEST(PennantStart, AFailingFolderLeavesTheFileFieldsEmptyAndTheRestSet) {
  TempHome home;
  auto host = HostAt("/opt/marquill");
  host->failing = {"getapppath"};
  Push w(std::move(host));
  ASSERT_TRUE(w.form->FormCreate());
  EXPECT_EQ(w.Text("editPCFile"), "");
  EXPECT_EQ(w.Text("editIEFile"), "");
  EXPECT_EQ(w.Text("editCommonTitle"), "Tendrel Software");
  EXPECT_TRUE(w.dialogs.shown.empty());
  // The picker still opens, without a folder to start in.
  w.dialogs.fileAnswers.push_back(std::nullopt);
  w.form->btnPCFileClick();
  ASSERT_EQ(w.dialogs.shown.size(), 1u);
  EXPECT_EQ(w.dialogs.shown[0].file.initialDir, "");
  // Help needs the folder: nothing happens.
  w.form->btnHelpClick();
  EXPECT_TRUE(w.helpShown.empty());
}

TEST(PennantStart, WithoutTheHostItSaysSoAndEnds) {
  TempHome home;
  Push w;
  w.hostRunning = false;
  EXPECT_FALSE(w.form->FormCreate());
  ASSERT_EQ(w.dialogs.shown.size(), 1u);
  EXPECT_EQ(w.dialogs.shown[0].text,
            "This program can only be run from within Marquill. Please start Marquill and try again.");
  EXPECT_EQ(w.dialogs.shown[0].caption, "Error");
  EXPECT_EQ(w.dialogs.shown[0].icon, MsgIcon::Error);
  EXPECT_TRUE(w.host->calls.empty());
}

TEST(PennantStart, WithoutTheAutomationObjectItEndsSilently) {
  TempHome home;
  Push w(nullptr);
  EXPECT_FALSE(w.form->FormCreate());
  EXPECT_TRUE(w.dialogs.shown.empty());
}

// ---- page walk ----

struct WalkCase {
  bool ie, pc, ns;
  std::vector<std::string> pages;  // Next from tabIntro to tabFinish
};

TEST(PennantWalk, EveryViewerChoiceWalksForwardAndBack) {
  const WalkCase cases[] = {
      {true, true, true, {"tabIntro", "tabMain", "tabIE", "tabPointCast", "tabNetscape", "tabCommon", "tabFinish"}},
      {true, true, false, {"tabIntro", "tabMain", "tabIE", "tabPointCast", "tabCommon", "tabFinish"}},
      {true, false, true, {"tabIntro", "tabMain", "tabIE", "tabNetscape", "tabCommon", "tabFinish"}},
      {false, true, true, {"tabIntro", "tabMain", "tabPointCast", "tabNetscape", "tabCommon", "tabFinish"}},
      {true, false, false, {"tabIntro", "tabMain", "tabIE", "tabCommon", "tabFinish"}},
      {false, true, false, {"tabIntro", "tabMain", "tabPointCast", "tabCommon", "tabFinish"}},
      {false, false, true, {"tabIntro", "tabMain", "tabNetscape", "tabCommon", "tabFinish"}},
  };
  TempHome home;
  for (const WalkCase& c : cases) {
    Push w;
    ASSERT_TRUE(w.form->FormCreate());
    w.Choose(c.ie, c.pc, c.ns);
    const std::string which = std::string(c.ie ? "IE " : "") + (c.pc ? "PC " : "") + (c.ns ? "NS" : "");
    std::vector<std::string> forward{w.Page()};
    for (size_t i = 1; i < c.pages.size(); ++i) {
      w.form->btnNextClick();
      forward.push_back(w.Page());
      EXPECT_TRUE(w.BackEnabled()) << which;
      EXPECT_EQ(w.NextCaption(), i + 1 == c.pages.size() ? "&Finish" : "&Next >>") << which;
    }
    EXPECT_EQ(forward, c.pages) << which;
    std::vector<std::string> back{w.Page()};
    for (size_t i = 1; i < c.pages.size(); ++i) {
      w.form->btnBackClick();
      back.push_back(w.Page());
      // From the summary on, Next keeps the accelerator on ">".
      EXPECT_EQ(w.NextCaption(), "Next &>>") << which;
    }
    EXPECT_EQ(back, std::vector<std::string>(c.pages.rbegin(), c.pages.rend())) << which;
    EXPECT_FALSE(w.BackEnabled()) << which;
    w.form->btnBackClick();
    EXPECT_EQ(w.Page(), "tabIntro") << which;
    EXPECT_TRUE(w.host->calls.size() == 1) << which << ": no page calls the host";
  }
}

TEST(PennantWalk, WithNoViewerNextStaysOnTheMainPage) {
  TempHome home;
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  w.form->btnNextClick();
  w.Choose(false, false, false);
  w.form->btnNextClick();
  w.form->btnNextClick();
  EXPECT_EQ(w.Page(), "tabMain");
  EXPECT_TRUE(w.dialogs.shown.empty());
  // A cross clicked again brings the viewer back.
  w.Choose(false, true, false);
  w.form->btnNextClick();
  EXPECT_EQ(w.Page(), "tabPointCast");
}

TEST(PennantWalk, ClickingThePicturesSwapsTickAndCross) {
  TempHome home;
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  w.form->show();
  w.form->btnNextClick();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.form.get()));
  QTest::mouseClick(w.Find<QWidget>("imgPCTick"), Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_FALSE(w.Shown("imgPCTick"));
  EXPECT_TRUE(w.Shown("imgPCCross"));
  EXPECT_FALSE(w.form->Ticked().pointCast);
  EXPECT_TRUE(w.form->Ticked().ie && w.form->Ticked().netcaster);
  QTest::mouseClick(w.Find<QWidget>("imgPCCross"), Qt::LeftButton, {}, QPoint(8, 8));
  EXPECT_TRUE(w.Shown("imgPCTick"));
  EXPECT_FALSE(w.Shown("imgPCCross"));
  // A hidden picture's handler changes nothing.
  w.form->imgIECrossClick();
  EXPECT_TRUE(w.Shown("imgIETick"));
  EXPECT_FALSE(w.Shown("imgIECross"));
}

TEST(PennantPictures, TicksCrossesAndWizardsAreDrawnKeyed) {
  EXPECT_EQ(WizardBitmapName(8), "wizardGrey");
  EXPECT_EQ(WizardBitmapName(9), "wizardColor");
  EXPECT_EQ(WizardBitmapName(32), "wizardColor");
  TempHome home;
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  for (const char* name : {"imgIETick", "imgPCCross", "imgNetscapeTick"}) {
    auto* p = w.Find<PushPicture>(name);
    ASSERT_FALSE(p->Picture().isNull()) << name;
    EXPECT_EQ(p->size(), p->Picture().size()) << name;
    const QImage img = p->Picture().toImage();
    EXPECT_EQ(qAlpha(img.pixel(0, img.height() - 1)), 0) << name << ": the key colour is see-through";
    EXPECT_EQ(p->resource(), std::string(std::string(name).find("Tick") != std::string::npos ? "Tick" : "Cross"));
  }
  for (const char* name : {"imgWizard", "imgWizIntro", "imgWizFinish"}) {
    auto* p = w.Find<PushPicture>(name);
    const int depth = w.form->screen() ? w.form->screen()->depth() : 24;
    EXPECT_EQ(p->resource(), WizardBitmapName(depth)) << name;
    EXPECT_EQ(p->size(), QSize(120, 232)) << name;
  }
  const std::pair<const char*, const char*> heads[] = {
      {"imgCommonHead", "CommonUP"}, {"imgPChead2", "PCUP"}, {"imgIEHead", "IEUP"}, {"imgNetscapeHead", "NetscapeUp"}};
  for (const auto& [name, bitmap] : heads) EXPECT_EQ(w.Find<KeyedPicture>(name)->resource(), bitmap) << name;
}

// Every text fits the box it was given, in the page font: nothing is cut.
TEST(PennantPictures, EveryLabelFitsItsBox) {
  TempHome home;
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  int checked = 0;
  for (QLabel* l : w.form->findChildren<QLabel*>()) {
    if (l->text().isEmpty()) continue;
    const QFontMetrics fm(l->font());
    const QRect need = fm.boundingRect(QRect(0, 0, l->width(), 10000),
                                       int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0), l->text());
    EXPECT_LE(need.width(), l->width()) << l->text().toStdString();
    EXPECT_LE(need.height(), l->height()) << l->text().toStdString();
    EXPECT_LE(l->geometry().right(), l->parentWidget()->width()) << l->text().toStdString();
    ++checked;
  }
  EXPECT_GT(checked, 30);
}

// ---- summary ----

TEST(PennantSummary, ShowsThePairsOfTheChosenViewers) {
  TempHome home;
  struct Layout {
    bool ie, pc, ns;
    int ieTop, pcTop;  // label tops; 0: hidden
    bool java1;
  };
  const Layout layouts[] = {
      {true, true, true, 124, 174, false}, {true, false, false, 124, 0, false},
      {false, true, true, 0, 124, false},  {false, false, true, 0, 0, true},
  };
  for (const Layout& l : layouts) {
    Push w;
    ASSERT_TRUE(w.form->FormCreate());
    w.Choose(l.ie, l.pc, l.ns);
    for (int i = 0; i < 8 && w.Page() != "tabFinish"; ++i) w.form->btnNextClick();
    ASSERT_EQ(w.Page(), "tabFinish");
    const std::string which = std::string(l.ie ? "IE " : "") + (l.pc ? "PC " : "") + (l.ns ? "NS" : "");
    EXPECT_EQ(w.Shown("lblIEFile"), l.ieTop != 0) << which;
    EXPECT_EQ(w.Shown("editFinishIE"), l.ieTop != 0) << which;
    EXPECT_EQ(w.Shown("lblPCFile"), l.pcTop != 0) << which;
    EXPECT_EQ(w.Shown("editFinishPC"), l.pcTop != 0) << which;
    if (l.ieTop) {
      EXPECT_EQ(w.Find<QWidget>("lblIEFile")->y(), l.ieTop) << which;
      EXPECT_EQ(w.Find<QWidget>("editFinishIE")->y(), l.ieTop + 16) << which;
      EXPECT_EQ(w.Text("editFinishIE"), "/opt/marquill/html files/iechannel.cdf") << which;
    }
    if (l.pcTop) {
      EXPECT_EQ(w.Find<QWidget>("lblPCFile")->y(), l.pcTop) << which;
      EXPECT_EQ(w.Find<QWidget>("editFinishPC")->y(), l.pcTop + 16) << which;
      EXPECT_EQ(w.Text("editFinishPC"), "/opt/marquill/html files/pcchannel.cdf") << which;
    }
    EXPECT_EQ(w.Shown("lblJava1"), l.java1) << which;
    EXPECT_EQ(w.Shown("lblFinish2"), !l.java1) << which;
    EXPECT_EQ(w.Shown("lblNetscapeFile"), l.ns) << which;
  }
}

TEST(PennantSummary, ALaterVisitFollowsAChangedChoice) {
  TempHome home;
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  w.Choose(false, false, true);
  w.form->OpenPage(PushPage::Finish);
  EXPECT_TRUE(w.Shown("lblJava1"));
  w.Choose(false, true, true);
  w.form->OpenPage(PushPage::Finish);
  EXPECT_FALSE(w.Shown("lblJava1"));
  EXPECT_TRUE(w.Shown("lblFinish2"));
  EXPECT_EQ(w.Find<QWidget>("lblPCFile")->y(), 124);
  w.Choose(true, true, false);
  w.form->OpenPage(PushPage::Finish);
  EXPECT_EQ(w.Find<QWidget>("lblPCFile")->y(), 174);
  EXPECT_FALSE(w.Shown("lblNetscapeFile"));
}

// ---- file pickers and help ----

TEST(PennantPickers, ThePickedFileIsHeldAsAFileURLAndShownAsAPath) {
  TempHome home;
  Push w(HostAt("/srv/marquill"));
  ASSERT_TRUE(w.form->FormCreate());
  w.dialogs.fileAnswers = {std::string("/home/ann/site/news.cdf"), std::string("C:\\Web\\a.cdf"), std::nullopt};
  w.form->btnIEChannelClick();
  ASSERT_EQ(w.dialogs.shown.size(), 1u);
  const FileDialogRequest& req = w.dialogs.shown[0].file;
  EXPECT_EQ(w.dialogs.shown[0].kind, ScriptedDialogs::Kind::SaveFile);
  EXPECT_EQ(req.initialDir, "/srv/marquill");
  EXPECT_EQ(req.defaultExt, "cdf");
  EXPECT_EQ(req.filter, "Channel Files(*.CDF)|*.CDF");
  EXPECT_EQ(req.fileName, "");
  EXPECT_FALSE(req.confirmOverwrite);
  EXPECT_EQ(w.Text("editIEFile"), "file:///home/ann/site/news.cdf");

  w.form->btnPCFileClick();
  EXPECT_EQ(w.Text("editPCFile"), "file:///C|/Web/a.cdf");
  // Cancel keeps what was there.
  w.form->btnPCFileClick();
  EXPECT_EQ(w.Text("editPCFile"), "file:///C|/Web/a.cdf");
  EXPECT_EQ(w.Text("editIEFile"), "file:///home/ann/site/news.cdf");

  w.form->OpenPage(PushPage::Finish);
  EXPECT_EQ(w.Text("editFinishIE"), "/home/ann/site/news.cdf");
  EXPECT_EQ(w.Text("editFinishPC"), "C:\\Web\\a.cdf");
  EXPECT_TRUE(w.Find<QLineEdit>("editFinishPC")->isReadOnly());
}

TEST(PennantHelp, OpensTheHostsHelpPageAtTheTopicWhenItIsThere) {
  TempHome home;
  const fs::path app = fs::path(home.root()) / "Marquill";
  Push w(HostAt(app.string()));
  ASSERT_TRUE(w.form->FormCreate());
  w.form->btnHelpClick();
  EXPECT_TRUE(w.helpShown.empty()) << "no help page: nothing happens";
  fs::create_directories(app / "help");
  std::ofstream(app / "help" / "marquill.htm") << "<html></html>";
  w.form->btnHelpClick();
  ASSERT_EQ(w.helpShown.size(), 1u);
  EXPECT_EQ(w.helpShown[0], "file://" + (app / "help" / "marquill.htm").string() + "#354");
  EXPECT_TRUE(w.dialogs.shown.empty());
}

// ---- histories ----

TEST(PennantHistory, TypedAddressesGoFirstAndEveryCloseKeepsThem) {
  TempHome home;
  {
    Push w;
    ASSERT_TRUE(w.form->FormCreate());
    EXPECT_TRUE(w.Items("cmbCommonURL").empty()) << "the default text is not an entry";
    w.TypeAndLeave("cmbCommonURL", "http://one.test/");
    w.TypeAndLeave("cmbCommonURL", "http://two.test/");
    w.TypeAndLeave("cmbCommonURL", "http://one.test/");  // already there: stays where it is
    w.TypeAndLeave("cmbCommonURL", "   ");
    w.TypeAndLeave("cmbCommonURL", "");
    EXPECT_EQ(w.Items("cmbCommonURL"), (std::vector<std::string>{"http://two.test/", "http://one.test/"}));
    EXPECT_EQ(w.ComboText("cmbCommonURL"), "");
    w.TypeAndLeave("cmbIEIcon", "http://icons.test/a b.ico");
    EXPECT_EQ(w.ComboText("cmbIEIcon"), "http://icons.test/a b.ico") << "the text stays as typed";
    w.TypeAndLeave("cmbPCSelf", "http://up.test/pcchannel.cdf");
    w.TypeAndLeave("cmbIEPicture", "http://pics.test/p.gif");
    w.TypeAndLeave("cmbNetscapePicture", "http://pics.test/n.ico");
    EXPECT_EQ(pushtest::Stored("CommonURL"), "<missing>") << "leaving a combo does not save it";
    w.form->btnCancelClick();
    EXPECT_EQ(w.closed, 1);
  }
  EXPECT_EQ(pushtest::Stored("CommonURL"), "http://two.test/,http://one.test/");
  EXPECT_EQ(pushtest::Stored("IEIcon"), "\"http://icons.test/a b.ico\"");
  EXPECT_EQ(pushtest::Stored("PCInfo"), "http://up.test/pcchannel.cdf");
  EXPECT_EQ(pushtest::Stored("IEPicture"), "http://pics.test/p.gif");
  EXPECT_EQ(pushtest::Stored("NetscapePicture"), "http://pics.test/n.ico");

  // The next start reads them back; the defaults still fill the texts.
  Push again;
  ASSERT_TRUE(again.form->FormCreate());
  EXPECT_EQ(again.Items("cmbCommonURL"), (std::vector<std::string>{"http://two.test/", "http://one.test/"}));
  EXPECT_EQ(again.ComboText("cmbCommonURL"), "http://maker.test/");
  EXPECT_EQ(again.Items("cmbIEIcon"), std::vector<std::string>{"http://icons.test/a b.ico"});
  EXPECT_EQ(again.ComboText("cmbIEIcon"), "http://maker.test/push/tendrel.ico");
}

TEST(PennantHistory, TenEntriesAreKeptFromALongerList) {
  TempHome home;
  std::string twelve;
  for (int i = 1; i <= 12; ++i) twelve += (i > 1 ? "," : "") + std::string("http://h") + std::to_string(i) + ".test/";
  pushtest::Store("PCInfo", twelve);
  Push w;
  ASSERT_TRUE(w.form->FormCreate());
  std::vector<std::string> items = w.Items("cmbPCSelf");
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items.front(), "http://h1.test/");
  EXPECT_EQ(items.back(), "http://h10.test/");
  EXPECT_EQ(w.ComboText("cmbPCSelf"), "http://");
  // A new entry goes on top; the list is cut again on the next start.
  w.TypeAndLeave("cmbPCSelf", "http://new.test/");
  EXPECT_EQ(w.Items("cmbPCSelf").front(), "http://new.test/");
  w.form->close();
  Push again;
  ASSERT_TRUE(again.form->FormCreate());
  items = again.Items("cmbPCSelf");
  ASSERT_EQ(items.size(), 10u);
  EXPECT_EQ(items.front(), "http://new.test/");
  EXPECT_EQ(items.back(), "http://h9.test/");
}

// ---- Finish on the in-memory host ----

TEST(PennantFinish, AFailedCheckShowsItsPageAndFocusesTheField) {
  TempHome home;
  auto host = std::make_unique<InMemoryHost>();
  host->doc.ReplaceAll("<html><head></head><body></body></html>");
  host->docName = (fs::path(home.root()) / "page.htm").string();
  Push w(std::move(host));
  ASSERT_TRUE(w.form->FormCreate());
  w.form->show();
  w.TypeAndLeave("cmbIEIcon", "http://");
  w.form->OpenPage(PushPage::Finish);
  EXPECT_EQ(w.NextCaption(), "&Finish");
  w.form->btnNextClick();
  ASSERT_EQ(w.dialogs.MessageTexts(), std::vector<std::string>{
      "To generate the Internet Explorer Channel Information, the icon to use must be entered."});
  EXPECT_EQ(w.Page(), "tabIE");
  EXPECT_EQ(w.NextCaption(), "Next &>>");
  EXPECT_EQ(w.form->focusWidget(), w.Find<QWidget>("cmbIEIcon"));
  EXPECT_EQ(w.closed, 0);
  EXPECT_EQ(w.host->doc.Text(), "<html><head></head><body></body></html>") << "nothing inserted";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
}

TEST(PennantFinish, WritesTheFilesInsertsTheButtonsAndCloses) {
  TempHome home;
  const fs::path site = fs::path(home.root()) / "site";
  fs::create_directories(site);
  auto host = std::make_unique<InMemoryHost>();
  host->doc.ReplaceAll("<html><head></head><body>X</body></html>");
  host->docName = (site / "page.htm").string();
  Push w(std::move(host));
  ASSERT_TRUE(w.form->FormCreate());
  w.dialogs.fileAnswers = {(site / "ie.cdf").string(), (site / "pc.cdf").string()};
  w.form->btnIEChannelClick();
  w.form->btnPCFileClick();
  w.TypeAndLeave("cmbPCSelf", "http://up.test/pc.cdf");
  w.form->OpenPage(PushPage::Finish);
  w.form->btnNextClick();
  EXPECT_TRUE(w.dialogs.shown.size() == 2) << "the two pickers only";
  EXPECT_TRUE(fs::is_regular_file(site / "ie.cdf"));
  EXPECT_TRUE(fs::is_regular_file(site / "pc.cdf"));
  const std::string text = w.host->doc.Text();
  EXPECT_NE(text.find("<A HREF=\"ie.cdf\">"), std::string::npos) << text;
  EXPECT_NE(text.find("<A HREF=\"pc.cdf\">"), std::string::npos) << text;
  EXPECT_NE(text.find("addMyChannel"), std::string::npos) << text;
  EXPECT_EQ(w.closed, 1);
  EXPECT_EQ(pushtest::Stored("PCInfo"), "http://up.test/pc.cdf") << "Finish closes, and closing saves";
}

TEST(PennantFinish, AnUnnamedDocumentIsSavedFirstAndTheWizardStays) {
  TempHome home;
  auto host = std::make_unique<InMemoryHost>();
  host->doc.ReplaceAll("<html><head></head><body></body></html>");
  host->saveAsName = (fs::path(home.root()) / "saved.htm").string();
  Push w(std::move(host));
  ASSERT_TRUE(w.form->FormCreate());
  w.form->show();
  w.form->OpenPage(PushPage::Finish);
  w.form->btnNextClick();
  EXPECT_EQ(w.dialogs.MessageTexts(),
            std::vector<std::string>{"Before compiling, you need to save your current HTML document within Marquill, "
                                     "so that relative references can be created."});
  EXPECT_EQ(w.Page(), "tabFinish");
  EXPECT_EQ(w.closed, 0);
  EXPECT_TRUE(fs::is_regular_file(fs::path(home.root()) / "saved.htm"));
  EXPECT_FALSE(w.form->isMinimized()) << "given back after the save";
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
