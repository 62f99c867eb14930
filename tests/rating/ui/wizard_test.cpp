// The wizard window: start, page walk and Finish against the in-memory host.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QProgressBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "common/files.h"
#include "log_capture.h"
#include "rating/page_walk.h"
#include "wizard_fixture.h"

using namespace tendrel;
namespace fs = std::filesystem;

namespace {

const std::string kPage = "<html>\r\n<head>\r\n<title>Tom & Jerry's Page</title>\r\n</head>\r\n<body>\r\n<p>x</p>\r\n</body>\r\n</html>\r\n";

std::unique_ptr<InMemoryHost> HostWith(const std::string& text, const std::string& docName) {
  auto h = std::make_unique<InMemoryHost>();
  h->doc.ReplaceAll(text);
  h->docName = docName;
  return h;
}

std::vector<std::string> Lower(std::vector<std::string> v) {
  for (auto& s : v)
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return v;
}

}  // namespace

TEST(KestrelStart, ReadsTheTitleAndMatchesEveryDescription) {
  Wizard w(HostWith(kPage, ""));
  ASSERT_TRUE(w.form->FormCreate());
  EXPECT_EQ(w.form->windowTitle().toStdString(), "Kestrel - v1.01");
  EXPECT_EQ(w.form->width(), 417);
  EXPECT_EQ(w.form->height(), 293);
  EXPECT_EQ(w.host->CallNames(), std::vector<std::string>{"DOC_GETHTMLTITLE"});
  EXPECT_EQ(w.Find<QLineEdit>("txtSiteTitle")->text().toStdString(), "Tom & Jerry's Page");
  EXPECT_EQ(w.Page(), "intro");
  EXPECT_FALSE(w.Enabled("BackButt"));
  EXPECT_FALSE(w.Shown("FinishButt"));
  EXPECT_EQ(w.Find<QComboBox>("cmbSiteType")->currentText().toStdString(), "a specific Web page");
  EXPECT_EQ(w.Find<QLineEdit>("txtSiteURL")->text().toStdString(), "http://");
  EXPECT_TRUE(w.Find<QCheckBox>("chkAddImage")->isChecked());

  // The age slider cannot reach 0; the others run 0 to 9 with a tick at each step.
  EXPECT_EQ(w.Slider("000")->minimum(), 1);
  EXPECT_EQ(w.Description("000"), "All Ages");
  for (const char* code : {"001", "002", "003", "004", "005", "006", "007", "008", "009", "00A"}) {
    QSlider* s = w.Slider(code);
    EXPECT_EQ(s->minimum(), 0) << code;
    EXPECT_EQ(s->maximum(), 9) << code;
    EXPECT_EQ(s->pageStep(), 1) << code;
    EXPECT_EQ(s->tickInterval(), 1) << code;
    EXPECT_EQ(w.Description(code), "-- Does not contain this theme --\n") << code;
  }
  EXPECT_EQ(w.Find<QLabel>("lbl000Low")->text(), QStringLiteral("All Ages"));
  EXPECT_EQ(w.Find<QLabel>("lbl000High")->text(), QStringLiteral("Explicitly for Adults"));
  EXPECT_EQ(w.Find<QLabel>("lbl00ALow")->text(), QStringLiteral("0"));
  EXPECT_EQ(w.Find<QLabel>("lbl00AHigh")->text(), QStringLiteral("9"));
  QStringList frames;
  for (auto* g : w.Find<QWidget>("tab004")->findChildren<QGroupBox*>()) frames << g->title();
  EXPECT_EQ(frames, (QStringList{QStringLiteral("Level "), QStringLiteral("Description ")}));
  w.Slider("000")->setValue(4);
  EXPECT_EQ(w.Description("000"), "Older Teens (15 & Up)");
  w.Slider("002")->setValue(2);
  EXPECT_EQ(w.Description("002"),
            "Explicit Innuendo\nExplicitly implied (not described) through the use of metaphor");
}

TEST(KestrelStart, EveryPageShowsTheWizardPicture) {
  EXPECT_EQ(WizardBitmapName(8), QStringLiteral("STDWIZ"));
  EXPECT_EQ(WizardBitmapName(9), QStringLiteral("FULLWIZ"));
  EXPECT_EQ(WizardBitmapName(32), QStringLiteral("FULLWIZ"));
  Wizard w;
  ASSERT_TRUE(w.form->FormCreate());
  auto* pages = w.Find<QStackedWidget>("pagecontrol1");
  ASSERT_EQ(pages->count(), kPageCount);
  const QColor background = w.form->palette().color(QPalette::Window);
  for (int i = 0; i < pages->count(); ++i) {
    const auto pictures = pages->widget(i)->findChildren<WizardPicture*>();
    ASSERT_EQ(pictures.size(), 1) << i;
    const QImage shot = pictures[0]->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(120, 232)) << i;
    // The bitmap's see-through colour gives way to the page's own.
    EXPECT_EQ(shot.pixelColor(0, shot.height() - 1).rgb(), background.rgb()) << i;
    EXPECT_NE(shot.pixelColor(60, 116).rgb(), background.rgb()) << i;
  }
}

TEST(KestrelStart, HostAbsentOrFailing) {
  {
    Wizard w;
    w.hostRunning = false;
    EXPECT_FALSE(w.form->FormCreate());
    ASSERT_EQ(w.dialogs.shown.size(), 1u);
    EXPECT_EQ(w.dialogs.shown[0].text,
              "This program can only be run from within Marquill. Please start Marquill and try again.");
    EXPECT_EQ(w.dialogs.shown[0].caption, "Error");
    EXPECT_TRUE(w.host->calls.empty());
  }
  {
    auto h = HostWith(kPage, "");
    h->failing.insert("doc_gethtmltitle");
    Wizard w(std::move(h));
    EXPECT_TRUE(w.form->FormCreate());
    EXPECT_TRUE(w.Find<QLineEdit>("txtSiteTitle")->text().isEmpty());
    EXPECT_TRUE(w.dialogs.shown.empty());
  }
  {
    Wizard w(nullptr);  // the automation object cannot be made
    EXPECT_TRUE(w.form->FormCreate());
    EXPECT_TRUE(w.Find<QLineEdit>("txtSiteTitle")->text().isEmpty());
    // Finish still closes the wizard.
    w.form->OpenPage(kPageFinish);
    w.form->FinishButtClick();
    EXPECT_EQ(w.closed, 1);
  }
}

TEST(KestrelStart, ASwallowedHostFailureLeavesOneLogLine) {
  auto h = HostWith(kPage, "");
  h->failing.insert("doc_gethtmltitle");
  Wizard w(std::move(h));
  LogCapture log;
  ASSERT_TRUE(w.form->FormCreate());
  const std::vector<std::string> lines = log.Lines("tendrel.rating");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("DOC_GETHTMLTITLE"), std::string::npos) << lines[0];
}

TEST(KestrelStart, TheProgressWindowKeepsItsNamesAndMeasures) {
  Wizard w;
  TfrmSendInfo* info = w.form->sendInfo();
  EXPECT_EQ(info->objectName(), QStringLiteral("frmSendInfo"));
  EXPECT_EQ(info->windowTitle(), QStringLiteral("Sending Information"));
  EXPECT_EQ(info->size(), QSize(322, 84));
  EXPECT_EQ(info->findChild<QLabel*>(QStringLiteral("lblInfo")), info->lblInfo);
  EXPECT_EQ(info->findChild<QProgressBar*>(QStringLiteral("SendProgBar")), info->SendProgBar);
  EXPECT_EQ(info->SendProgBar->minimum(), 0);
  EXPECT_EQ(info->SendProgBar->maximum(), 5);
  EXPECT_EQ(info->lblInfo->alignment(), Qt::AlignCenter);
  EXPECT_FALSE(info->isVisible()) << "shown only during the exchange";
}

TEST(KestrelWalk, CombinedCategorySkipsTheSingleThemes) {
  Wizard w;
  ASSERT_TRUE(w.form->FormCreate());
  const std::vector<std::string> expected = {"tabUserInfo", "tab000",    "tab006",   "tab007",   "tab008",
                                             "tab009",      "tab00A",    "tabAddButton", "TabSubmit"};
  std::vector<std::string> seen;
  for (size_t i = 0; i < expected.size(); ++i) {
    w.form->NextButtClick();
    seen.push_back(w.Page());
    EXPECT_TRUE(w.Enabled("BackButt"));
  }
  EXPECT_EQ(seen, expected);
  // Back from tab007 returns to tab006.
  while (w.Page() != "tab007") w.form->BackButtClick();
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "tab006");
  for (const char* code : {"001", "002", "003", "004", "005"}) EXPECT_EQ(w.Slider(code)->value(), 0) << code;
  // Back to the start disables Back.
  while (w.Page() != "intro") w.form->BackButtClick();
  EXPECT_FALSE(w.Enabled("BackButt"));
  EXPECT_TRUE(w.Enabled("NextButt"));
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "intro");
}

TEST(KestrelWalk, IndividualModeWalksEveryThemeAndKeepsTheCombinedValue) {
  Wizard w;
  ASSERT_TRUE(w.form->FormCreate());
  w.NextTo("tab006");
  w.Slider("006")->setValue(5);
  w.form->btnSetIndividualClick();
  EXPECT_EQ(w.Page(), "tab001");
  EXPECT_TRUE(w.form->walk().individual());
  EXPECT_EQ(w.Slider("006")->value(), 5);
  std::vector<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    w.form->NextButtClick();
    seen.push_back(w.Page());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"tab002", "tab003", "tab004", "tab005", "tab007"}));
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "tab005") << "Back walks through the single themes too";
  w.form->BackButtClick();
  w.form->BackButtClick();
  w.form->BackButtClick();
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "tab001");
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "tab006");
  w.form->NextButtClick();
  EXPECT_EQ(w.Page(), "tab001") << "individual mode stays on";
}

TEST(KestrelWalk, FinishReplacesNextOnTheLastPage) {
  Wizard w;
  ASSERT_TRUE(w.form->FormCreate());
  w.form->OpenPage(kPageEmail);
  EXPECT_TRUE(w.Shown("NextButt"));
  w.form->NextButtClick();
  EXPECT_EQ(w.Page(), "tabFinish");
  EXPECT_FALSE(w.Shown("NextButt"));
  EXPECT_TRUE(w.Shown("FinishButt"));
  w.form->BackButtClick();
  EXPECT_EQ(w.Page(), "tabEmail");
  EXPECT_TRUE(w.Shown("NextButt"));
  EXPECT_FALSE(w.Shown("FinishButt"));
  w.form->CancelButtClick();
  EXPECT_EQ(w.closed, 1);
}

TEST(KestrelWalk, TypedSiteTypeCountsAsNeitherItem) {
  Wizard w;
  ASSERT_TRUE(w.form->FormCreate());
  w.form->OpenPage(kPageUserInfo);
  auto* combo = w.Find<QComboBox>("cmbSiteType");
  combo->setCurrentIndex(1);
  EXPECT_EQ(w.form->CurrentRating().siteType, SiteType::Directory);
  combo->lineEdit()->clear();
  QTest::keyClicks(combo->lineEdit(), QStringLiteral("an entire directory"));
  const Rating r = w.form->CurrentRating();
  EXPECT_EQ(r.siteTypeText, "an entire directory");
  EXPECT_EQ(r.siteType, SiteType::Typed);
  EXPECT_EQ(w.form->BuildLabel().find("gen true"), std::string::npos);
  // Leaving the box after typing an item's text makes the box select that
  // item; the text was still typed, not chosen.
  combo->setCurrentIndex(0);
  combo->lineEdit()->clear();
  QTest::keyClicks(combo->lineEdit(), QStringLiteral("an entire directory"));
  emit combo->lineEdit()->editingFinished();
  ASSERT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(w.form->CurrentRating().siteType, SiteType::Typed);
  EXPECT_EQ(w.form->BuildLabel().find("gen true"), std::string::npos);
  // Choosing from the list (here by keyboard) names the item again.
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(w.form->CurrentRating().siteType, SiteType::Page);
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(w.form->CurrentRating().siteType, SiteType::Directory);
  EXPECT_NE(w.form->BuildLabel().find("gen true for \"http://\""), std::string::npos);
}

// ---- Finish ----

class KestrelFinish : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(site); }
  TempHome outer;  // holds the document's folder
  fs::path site = fs::path(outer.root()) / "site";
  fs::path page = site / "page.htm";
};

TEST_F(KestrelFinish, LabelInTheHeadLogoBeforeBodyAndTheFileCopied) {
  Wizard w(HostWith(kPage, page.string()));
  ASSERT_TRUE(w.form->FormCreate());
  w.Type("txtUserEmail", " me@example.org ");
  w.Slider("000")->setValue(4);
  w.Slider("001")->setValue(2);
  w.Slider("00A")->setValue(9);
  w.form->OpenPage(kPageFinish);
  w.host->calls.clear();
  w.form->FinishButtClick();

  EXPECT_EQ(Lower(w.host->CallNames()),
            (std::vector<std::string>{"isopendoc", "puttexthead", "text_insertbeforeslashbodytag", "getworkdir",
                                      "copyfiles"}));
  const std::string label =
      "<META http-equiv=\"PICS-Label\" content='(PICS-1.1 \"http://svc.test/v1/\" l by \"me@example.org\" "
      "r (SS~~000 4 SS~~001 2 SS~~00A 9))'>";
  EXPECT_EQ(w.host->doc.Text(),
            "<html>\r\n<head>" + label +
                "\r\n<title>Tom & Jerry's Page</title>\r\n</head>\r\n<body>\r\n<p>x</p>\r\n"
                "<A HREF=\"http://safesurf.test/home/\"><IMG BORDER=0 SRC=\"ssurf.gif\"></A></body>\r\n</html>\r\n");
  const fs::path logo = fs::path(w.home.data()) / "Tendrel" / QCoreApplication::applicationName().toStdString() / "ssurf.gif";
  ASSERT_EQ(w.host->copied, std::vector<std::string>{logo.string()});
  EXPECT_TRUE(fs::is_regular_file(logo)) << "written into the program folder from the resources";
  EXPECT_EQ(fs::file_size(site / "ssurf.gif"), fs::file_size(logo));
  EXPECT_TRUE(w.dialogs.shown.empty());
  EXPECT_EQ(w.closed, 1);
}

TEST_F(KestrelFinish, NoOpenDocumentAndAnUnsavedOneAskedUntilSaved) {
  // The first save dialog is cancelled, the second one names the file.
  class SavesOnSecondAsk : public InMemoryHost {
   public:
    std::string target;
    int asks = 0;
    HostValue Invoke(const std::string& name, const std::vector<HostValue>& args) override {
      if (name == "ForceSave" && ++asks == 2) saveAsName = target;
      return InMemoryHost::Invoke(name, args);
    }
  };
  auto h = std::make_unique<SavesOnSecondAsk>();
  h->docOpen = false;
  h->target = page.string();
  SavesOnSecondAsk* host = h.get();
  Wizard w(std::move(h));
  ASSERT_TRUE(w.form->FormCreate());
  host->calls.clear();
  w.form->FinishButtClick();

  EXPECT_EQ(Lower(host->CallNames()),
            (std::vector<std::string>{"isopendoc", "opennewfile", "puttexthead", "text_insertbeforeslashbodytag",
                                      "getworkdir", "forcesave", "getworkdir", "forcesave", "getworkdir",
                                      "copyfiles"}));
  EXPECT_EQ(w.dialogs.MessageTexts(),
            (std::vector<std::string>{"There is no open file in Marquill. A new file will be created.",
                                      "The current document in Marquill is not saved. Press OK to save it.",
                                      "The current document in Marquill is not saved. Press OK to save it."}));
  EXPECT_TRUE(fs::is_regular_file(site / "ssurf.gif"));
  EXPECT_NE(host->doc.Text().find("(SS~~000 1))'>"), std::string::npos) << "the new document has the label";
  EXPECT_EQ(w.closed, 1);
}

TEST_F(KestrelFinish, WithoutTheImageOnlyTheLabel) {
  Wizard w(HostWith(kPage, page.string()));
  ASSERT_TRUE(w.form->FormCreate());
  w.Find<QCheckBox>("chkAddImage")->setChecked(false);
  w.host->calls.clear();
  w.form->FinishButtClick();
  EXPECT_EQ(Lower(w.host->CallNames()), (std::vector<std::string>{"isopendoc", "puttexthead"}));
  EXPECT_FALSE(fs::exists(site / "ssurf.gif"));
  EXPECT_EQ(w.host->doc.Text().find("<A HREF"), std::string::npos);
  EXPECT_EQ(w.closed, 1);
}

TEST_F(KestrelFinish, AFailingCallEndsTheSequenceAndTheWizardStillCloses) {
  for (const char* failing : {"isopendoc", "puttexthead", "text_insertbeforeslashbodytag", "getworkdir",
                              "copyfiles"}) {
    auto h = HostWith(kPage, page.string());
    h->failing.insert(failing);
    Wizard w(std::move(h));
    ASSERT_TRUE(w.form->FormCreate());
    w.host->calls.clear();
    LogCapture log;
    w.form->FinishButtClick();
    const std::vector<std::string> lines = log.Lines("tendrel.rating");
    ASSERT_EQ(lines.size(), 1u) << failing;
    EXPECT_NE(Lower({lines[0]})[0].find(failing), std::string::npos) << lines[0];
    EXPECT_EQ(Lower(w.host->CallNames()).back(), failing) << "nothing after the failing call";
    EXPECT_TRUE(w.dialogs.shown.empty()) << failing;
    EXPECT_EQ(w.closed, 1) << failing;
  }
}
