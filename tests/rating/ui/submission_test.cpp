// Submitting the rating: the sequence against a scripted link, and the whole
// wizard against the stand-in SafeSurf server on loopback.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProgressBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/qt/step_runner.h"

#include "rating/form_body.h"
#include "rating/page_walk.h"
#include "log_capture.h"
#include "support/safesurf_stand_in.h"
#include "wizard_fixture.h"
#include "support/scripted_dialogs.h"

using namespace tendrel;

namespace {

// A link whose steps answer as told and which counts the posts.
class ScriptedLink : public RatingLink {
 public:
  bool connects = true, opens = true, offline = false, sends = true, answers = true;
  std::string reply = "<html>thanks</html>";
  int posts = 0;
  std::string body;
  bool Connect(InetError* e) override {
    if (!connects && e) *e = InetError{kInetCannotConnect, InetErrorText(kInetCannotConnect), ""};
    return connects;
  }
  bool OpenRequest(const std::string& verb, const std::string& object) override {
    return opens && verb == "POST" && object == "/cgi-bin/super.pl";
  }
  bool Offline() override { return offline; }
  bool Send(const std::string& header, const std::string& b, const std::function<void()>& answered,
            std::string* r, InetError*) override {
    ++posts;
    body = b;
    EXPECT_EQ(header, "Content-Type: application/x-www-form-urlencoded");
    if (!sends) return false;
    if (answered) answered();
    if (!answers) return false;  // the reply broke off
    *r = reply;
    return true;
  }
  void Disconnect() override {}
};

class RecordingView : public SubmissionView {
 public:
  std::vector<std::string> statuses;
  std::vector<int> bars;
  bool open = false;
  void SetStatus(const std::string& t) override { statuses.push_back(t); }
  void SetBar(int p) override { bars.push_back(p); }
  void ShowProgress() override { open = true; }
  void CloseProgress() override { open = false; }
};

// The sender carried through to its end on the UI thread's event loop;
// nothing when it refused to start or did not end.
std::optional<bool> SendAndWait(RatingSubmission& s, const std::string& body) {
  std::optional<bool> sent;
  if (!s.Send(body, [&sent](bool ok) { sent = ok; })) return std::nullopt;
  (void)QTest::qWaitFor([&sent] { return sent.has_value(); }, 10000);
  return sent;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return false;
  }
};

const char kWarning[] =
    "Could not send HTTP request. Either you are not online or an error has occured.\r\n"
    "Please register your site with SafeSurf next time you go online by sending the text on the "
    "following page to register@safesurf.test";

}  // namespace

TEST(KestrelSender, StepsStatusesAndBarForEachOutcome) {
  const std::vector<std::string> fullRun = {"Attempting to connect to SafeSurf.", "Sending Information to SafeSurf.",
                                            "Information Sent. Closing connection."};
  struct Case {
    const char* what;
    std::function<void(ScriptedLink&)> set;
    bool sent;
    std::vector<std::string> statuses;
    std::vector<int> bars;
    bool windowOpen, report;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"sent", [](ScriptedLink&) {}, true, fullRun, {1, 2, 3, 4, 5}, false, false, {}},
      {"no connection: the report is written", [](ScriptedLink& l) { l.connects = false; }, false,
       {"Attempting to connect to SafeSurf.", "Unable to Connect."}, {}, true, true,
       {"Could Not Connect To Server"}},
      {"request cannot be opened: a failed send", [](ScriptedLink& l) { l.opens = false; }, false, fullRun,
       {1, 2, 4, 5}, false, true, {"Error while opening http session.", kWarning}},
      {"offline", [](ScriptedLink& l) { l.offline = true; }, false, fullRun, {1, 2, 4, 5}, false, true, {kWarning}},
      {"send fails", [](ScriptedLink& l) { l.sends = false; }, false, fullRun, {1, 2, 4, 5}, false, true, {kWarning}},
      {"reply breaks off", [](ScriptedLink& l) { l.answers = false; }, false, fullRun, {1, 2, 3, 4, 5}, false, true,
       {kWarning}},
      {"server says ERROR: the report is written", [](ScriptedLink& l) { l.reply = "ERROR"; }, false, fullRun,
       {1, 2, 3, 4, 5}, false, true, {kWarning}},
      {"a reply merely holding ERROR counts as sent", [](ScriptedLink& l) { l.reply = "ERROR\r\n"; }, true, fullRun,
       {1, 2, 3, 4, 5}, false, false, {}},
  };
  for (const Case& c : cases) {
    ScriptedLink link;
    c.set(link);
    RecordingView view;
    ScriptedDialogs dialogs;
    int reports = 0;
    StepRunner runner;
    RatingSubmission s(link, runner, view, dialogs, "register@safesurf.test", [&] { ++reports; });
    EXPECT_EQ(SendAndWait(s, "a=1"), c.sent) << c.what;
    EXPECT_EQ(view.statuses, c.statuses) << c.what;
    EXPECT_EQ(view.bars, c.bars) << c.what;
    EXPECT_EQ(view.open, c.windowOpen) << c.what;
    EXPECT_EQ(reports, c.report ? 1 : 0) << c.what;
    EXPECT_EQ(dialogs.MessageTexts(), c.messages) << c.what;
  }
}

TEST(KestrelSubmit, ChecksKeepTheWizardOnItsPage) {
  auto* link = new ScriptedLink;
  Wizard w(std::make_unique<InMemoryHost>(), [link] { return std::unique_ptr<RatingLink>(link); });
  ASSERT_TRUE(w.form->FormCreate());
  w.NextTo("TabSubmit");
  const std::pair<const char*, const char*> tries[] = {
      {"", "me@x.org"}, {"Ann", ""}, {"Ann", "me.x.org"}, {"Ann", " me @x.org"}};
  for (const auto& [name, email] : tries) {
    w.Type("txtUserName", name);
    w.Type("txtUserEmail", email);
    w.form->NextButtClick();
    EXPECT_EQ(w.Page(), "TabSubmit") << name << "|" << email;
    EXPECT_EQ(w.dialogs.shown.back().icon, MsgIcon::Warning);
  }
  EXPECT_EQ(w.dialogs.MessageTexts(),
            (std::vector<std::string>{"Please enter your name.", "Please enter your email address.",
                                      "Please enter a valid email address.", "Please enter a valid email address."}));
  EXPECT_EQ(link->posts, 0);
  EXPECT_FALSE(w.form->walk().submitted());
}

TEST(KestrelSubmit, RequestThatCannotBeOpenedStillLeavesTheReport) {
  auto* link = new ScriptedLink;
  link->opens = false;
  Wizard w(std::make_unique<InMemoryHost>(), [link] { return std::unique_ptr<RatingLink>(link); });
  ASSERT_TRUE(w.form->FormCreate());
  w.NextTo("TabSubmit");
  w.Type("txtUserName", "Ann");
  w.Type("txtUserEmail", "me@x.org");
  w.Next();
  EXPECT_EQ(w.Page(), "tabEmail");
  EXPECT_NE(w.Memo().find("My name is Ann and I've rated my site with the Kestrel."), std::string::npos);
  EXPECT_EQ(link->posts, 0);
}

// ---- against the stand-in server ----

class KestrelPost : public ::testing::Test {
 protected:
  std::unique_ptr<Wizard> Start(SafeSurfStandIn& server, int stallMs = 1000) {
    EXPECT_NE(server.port(), 0) << "the stand-in server did not start";
    KestrelConfig c = Wizard::TestConfig();
    c.registrationPort = server.port();
    c.stallTimeoutMs = stallMs;
    auto w = std::make_unique<Wizard>(std::make_unique<InMemoryHost>(),
                                      [c] { return std::make_unique<CurlRatingLink>(c); }, c);
    EXPECT_TRUE(w->form->FormCreate());
    w->Type("txtSiteURL", "http://www.example.org/");
    w->Type("txtSiteTitle", "My Page");
    w->Type("txtUserName", "Ann Lee");
    w->Type("txtUserEmail", "me@example.org");
    return w;
  }
  std::string Zero(const char* name) { return std::string("&SS%7E%7E") + name + "=--+Does+not+contain+this+theme+--"; }
};

TEST_F(KestrelPost, AllThemesAtZeroArriveByteForByte) {
  SafeSurfStandIn server;
  auto w = Start(server);
  w->NextTo("TabSubmit");
  w->Next();
  EXPECT_EQ(w->Page(), "tabFinish");
  EXPECT_TRUE(w->Shown("FinishButt"));
  ASSERT_EQ(server.Received(), 1);
  EXPECT_EQ(server.Body(1),
            "RETURN_NAME=Go+to+SafeSurf+Homepage&RETURN_URL=http%3A%2F%2Fsafesurf.test%2Fhome%2F"
            "&02_Rating=a%20specific%20Web%20page&01_Site=http://www.example.org/&03_Title=My%20Page"
            "&Email_Address=me@example.org&Email_Name=Ann%20Lee"
            "&SS%7E%7E000%7CRecommended+Age=1.%20%20All%20Ages" +
                Zero("001%7CProfanity") + Zero("002%7CHeterosexual+Themes") + Zero("003%7CHomosexual+Themes") +
                Zero("004%7CNudity") + Zero("005%7CViolence") + Zero("006%7CSex+Violence+and+Profanity") +
                Zero("007%7CIntolerance") + Zero("008%7CDrug+Use") + Zero("009%7COther+Adult+Themes") +
                Zero("00A%7CGambling"));
  EXPECT_FALSE(w->form->sendInfo()->isVisible());
  EXPECT_EQ(w->form->sendInfo()->SendProgBar->value(), 5);
  EXPECT_TRUE(w->dialogs.shown.empty());
}

TEST_F(KestrelPost, IndividualLevelsTypedTextAndBlanksAroundTheAddress) {
  SafeSurfStandIn server;
  auto w = Start(server);
  w->Find<QComboBox>("cmbSiteType")->setCurrentIndex(1);
  w->Type("txtSiteURL", "http://www.example.org/cartoons/");
  w->Type("txtSiteTitle", "Tom & Jerry's Page");
  w->Type("txtUserEmail", "  me@example.org  ");
  w->NextTo("tab006");
  w->Slider("000")->setValue(4);
  w->Slider("006")->setValue(3);
  w->form->btnSetIndividualClick();
  w->Slider("001")->setValue(2);
  w->Slider("004")->setValue(5);
  w->Slider("005")->setValue(8);
  w->Slider("00A")->setValue(9);
  w->NextTo("TabSubmit");
  w->Next();
  ASSERT_EQ(server.Received(), 1);
  EXPECT_EQ(server.Body(1),
            "RETURN_NAME=Go+to+SafeSurf+Homepage&RETURN_URL=http%3A%2F%2Fsafesurf.test%2Fhome%2F"
            "&02_Rating=an%20entire%20directory&01_Site=http://www.example.org/cartoons/"
            "&03_Title=Tom%20%26%20Jerry's%20Page&Email_Address=%20%20me@example.org%20%20&Email_Name=Ann%20Lee"
            "&SS%7E%7E000%7CRecommended+Age=4.%20%20Older%20Teens%20(15%20%26%26%20Up)"
            "&SS%7E%7E001%7CProfanity=2.%20%20Explicit%20Innuendo" +
                Zero("002%7CHeterosexual+Themes") + Zero("003%7CHomosexual+Themes") +
                "&SS%7E%7E004%7CNudity=5.%20%20Graphic-Artistic"
                "&SS%7E%7E005%7CViolence=8.%20%20Inviting%20Participation%20in%20Graphic%20Interactive%20Format"
                "&SS%7E%7E006%7CSex+Violence+and+Profanity=3.%20%20Technical%20Reference" +
                Zero("007%7CIntolerance") + Zero("008%7CDrug+Use") + Zero("009%7COther+Adult+Themes") +
                "&SS%7E%7E00A%7CGambling=9.%20%20Providing%20Means%20with%20Stakes");
  // The label carries the trimmed address and every theme set.
  EXPECT_EQ(w->form->BuildLabel(),
            "<META http-equiv=\"PICS-Label\" content='(PICS-1.1 \"http://svc.test/v1/\" l gen true for "
            "\"http://www.example.org/cartoons/\" by \"me@example.org\" r (SS~~000 4 SS~~001 2 SS~~004 5 "
            "SS~~005 8 SS~~006 3 SS~~00A 9))'>");
}

TEST_F(KestrelPost, ConnectionRefused) {
  SafeSurfStandIn server({QStringLiteral("--refuse")});
  auto w = Start(server);
  w->NextTo("TabSubmit");
  const std::string memoBefore = w->Memo();
  w->Next();
  EXPECT_EQ(w->dialogs.MessageTexts(), std::vector<std::string>{"Could Not Connect To Server"});
  EXPECT_EQ(w->form->sendInfo()->lblInfo->text().toStdString(), "Unable to Connect.");
  EXPECT_TRUE(w->form->sendInfo()->isVisible());
  EXPECT_EQ(w->form->sendInfo()->SendProgBar->value(), 0);
  EXPECT_EQ(w->Page(), "tabEmail");
  // The memo asks the author to mail the text below it: the report is there.
  EXPECT_EQ(w->Memo().rfind(memoBefore, 0), 0u);
  EXPECT_NE(w->Memo().find("My name is Ann Lee and I've rated my site with the Kestrel."), std::string::npos);
  EXPECT_NE(w->Memo().find("My ratings are:"), std::string::npos);
  EXPECT_TRUE(w->form->walk().submitted());
}

TEST_F(KestrelPost, ServerAnswersErrorAndASecondNextDoesNotPostAgain) {
  SafeSurfStandIn server({QStringLiteral("--error")});
  auto w = Start(server);
  w->NextTo("TabSubmit");
  w->Next();
  EXPECT_EQ(w->Page(), "tabEmail");
  EXPECT_EQ(server.Received(), 1);
  EXPECT_EQ(w->dialogs.MessageTexts(), std::vector<std::string>{kWarning});
  EXPECT_NE(w->Memo().find("My ratings are:"), std::string::npos) << "the report is there to mail";
  EXPECT_FALSE(w->form->sendInfo()->isVisible());
  w->form->BackButtClick();
  EXPECT_EQ(w->Page(), "TabSubmit");
  w->Next();
  EXPECT_EQ(w->Page(), "tabEmail");
  EXPECT_EQ(server.Received(), 1) << "the second Next only moves on";
}

TEST_F(KestrelPost, AServerThatNeverAnswersEndsAsAFailedSendInBoundedTime) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("50")});
  auto w = Start(server, 1000);
  w->NextTo("TabSubmit");
  QElapsedTimer t;
  t.start();
  w->Next();
  EXPECT_LT(t.elapsed(), 6000);
  EXPECT_EQ(w->Page(), "tabEmail");
  EXPECT_EQ(w->dialogs.MessageTexts(), std::vector<std::string>{kWarning});
  EXPECT_NE(w->Memo().find("My ratings are:"), std::string::npos);
  EXPECT_EQ(server.Received(), 1);
  w->form->BackButtClick();
  w->Next();
  EXPECT_EQ(server.Received(), 1);
}

TEST_F(KestrelPost, AReplyCutOffHalfwayIsAFailedSend) {
  SafeSurfStandIn server({QStringLiteral("--close-mid-reply")});
  auto w = Start(server);
  w->NextTo("TabSubmit");
  w->Next();
  EXPECT_EQ(w->Page(), "tabEmail");
  EXPECT_EQ(w->dialogs.MessageTexts(), std::vector<std::string>{kWarning});
  EXPECT_NE(w->Memo().find("My ratings are:"), std::string::npos);
}

TEST_F(KestrelPost, SavedReportBeginsWithTheMemoLineAndUsesCRLF) {
  SafeSurfStandIn server({QStringLiteral("--close-mid-reply")});
  auto w = Start(server);
  w->Slider("000")->setValue(4);
  w->NextTo("TabSubmit");
  w->Next();
  ASSERT_EQ(w->Page(), "tabEmail");
  const std::string file = w->home.root() + "/rating.txt";
  w->dialogs.fileAnswers.push_back(file);
  w->form->btnSaveClick();
  ASSERT_EQ(w->dialogs.shown.back().kind, ScriptedDialogs::Kind::SaveFile);
  EXPECT_EQ(w->dialogs.shown.back().file.filter, "Text Files|*.txt|All Files|*.*");
  EXPECT_EQ(w->dialogs.shown.back().file.defaultExt, "txt");
  EXPECT_TRUE(w->dialogs.shown.back().file.confirmOverwrite);
  std::ifstream in(file, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(saved,
            "Please send the text below by e-mail to SafeSurf at register@safesurf.test to register your rating.\r\n"
            "\r\n"
            "My name is Ann Lee and I've rated my site with the Kestrel.\r\n"
            "\r\n"
            "My site details are:\r\n"
            "\tRating type: a specific Web page\r\n"
            "\tSite Name: My Page\r\n"
            "\tSite URL: http://www.example.org/\r\n"
            "\r\n"
            "My ratings are:\r\n"
            "(SS~~000) Recommended Age = 4. Older Teens (15 && Up)\r\n"
            "\r\n"
            "__________________________________\r\n");
  // A file that cannot be written is reported, not fatal.
  w->dialogs.fileAnswers.push_back(w->home.root() + "/no/such/folder/rating.txt");
  w->form->btnSaveClick();
  EXPECT_EQ(w->dialogs.shown.back().icon, MsgIcon::Error);
}

// ---- the steps run beside a live window ----

TEST_F(KestrelPost, TheWindowStaysLiveAndItsButtonsWaitWhileTheServerIsSlow) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("2")});
  auto w = Start(server, 10000);
  w->NextTo("TabSubmit");
  w->form->show();
  TfrmSendInfo* info = w->form->sendInfo();
  PaintCounter paints(info->lblInfo);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(20);

  QElapsedTimer t;
  t.start();
  w->form->NextButtClick();
  EXPECT_LT(t.elapsed(), 1000) << "Next returns while the exchange goes on";
  EXPECT_TRUE(w->form->stepping());
  for (const char* b : {"BackButt", "NextButt", "FinishButt", "CancelButt"}) EXPECT_FALSE(w->Enabled(b)) << b;
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Received() == 1; }, 5000));

  // The server sits on the request: the UI thread keeps running and painting.
  const int ticksBefore = ticks;
  const int paintsBefore = paints.count;
  info->lblInfo->update();
  QTest::mouseClick(w->Find<QPushButton>("NextButt"), Qt::LeftButton);
  w->form->NextButtClick();  // even called directly, no second exchange starts
  QTest::qWait(500);
  EXPECT_GE(ticks - ticksBefore, 10);
  EXPECT_GT(paints.count, paintsBefore);
  EXPECT_TRUE(w->form->stepping());
  EXPECT_EQ(w->Page(), "TabSubmit");
  EXPECT_EQ(info->lblInfo->text().toStdString(), "Sending Information to SafeSurf.");
  EXPECT_EQ(info->SendProgBar->value(), 2) << "the request is out, no answer yet";
  EXPECT_TRUE(info->isVisible());
  for (const char* b : {"BackButt", "NextButt", "FinishButt", "CancelButt"}) EXPECT_FALSE(w->Enabled(b)) << b;

  ASSERT_TRUE(w->WaitForSteps());
  EXPECT_EQ(w->Page(), "tabFinish");
  EXPECT_EQ(server.Received(), 1) << "one post only";
  EXPECT_EQ(info->SendProgBar->value(), 5);
  EXPECT_FALSE(info->isVisible());
  EXPECT_TRUE(w->Enabled("BackButt"));
  EXPECT_TRUE(w->Enabled("FinishButt"));
  EXPECT_TRUE(w->Enabled("CancelButt"));
  EXPECT_TRUE(w->dialogs.shown.empty());
}

TEST_F(KestrelPost, ClosingTheWindowDuringTheStepEndsItPromptlyAndQuietly) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("40")});
  auto w = Start(server, 60000);
  w->NextTo("TabSubmit");
  w->form->show();
  w->form->NextButtClick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Received() == 1; }, 5000));
  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(w->form->close());
  EXPECT_LT(t.elapsed(), 3000) << "well below the server's 40 s";
  EXPECT_EQ(w->closed, 1);
  EXPECT_FALSE(w->form->stepping());
  EXPECT_FALSE(w->form->sendInfo()->isVisible());
  QTest::qWait(100);  // nothing of the exchange comes back once the window has gone
  EXPECT_TRUE(w->dialogs.shown.empty());
  EXPECT_EQ(w->Page(), "TabSubmit");
  EXPECT_FALSE(w->form->walk().submitted());
  EXPECT_EQ(w->Memo().find("My ratings are:"), std::string::npos);
}

TEST_F(KestrelPost, TheWindowDestroyedDuringTheStepWaitsForItWithoutACrash) {
  SafeSurfStandIn server({QStringLiteral("--slow"), QStringLiteral("40")});
  auto w = Start(server, 60000);
  w->NextTo("TabSubmit");
  w->form->NextButtClick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Received() == 1; }, 5000));
  QElapsedTimer t;
  t.start();
  w->form.reset();
  EXPECT_LT(t.elapsed(), 3000);
  QTest::qWait(100);
  EXPECT_TRUE(w->dialogs.shown.empty());
}

TEST_F(KestrelPost, TheReportShowsEachLineWhole) {
  SafeSurfStandIn server({QStringLiteral("--error")});
  auto w = Start(server);
  w->form->show();
  w->NextTo("TabSubmit");
  w->Next();
  ASSERT_EQ(w->Page(), "tabEmail");
  auto* memo = w->Find<QPlainTextEdit>("txtEmail");
  QTest::qWait(50);  // laid out
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  bool sawRatingType = false;
  for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
    ASSERT_NE(b.layout(), nullptr);
    EXPECT_EQ(b.layout()->lineCount(), 1) << b.text().toStdString();
    sawRatingType = sawRatingType || b.text() == QStringLiteral("\tRating type: a specific Web page");
  }
  EXPECT_TRUE(sawRatingType);
  // The memo's first line is wider than the memo: it scrolls sideways.
  EXPECT_GT(memo->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(KestrelPost, EveryFailedSendLeavesOneLogLine) {
  struct Case {
    QStringList options;
    std::string expected;
  };
  const Case cases[] = {
      {{QStringLiteral("--refuse")}, "12029"},
      {{QStringLiteral("--error")}, "ERROR"},
      {{QStringLiteral("--close-mid-reply")}, "12030"},
  };
  for (const Case& c : cases) {
    SafeSurfStandIn server(c.options);
    auto w = Start(server);
    w->NextTo("TabSubmit");
    LogCapture log;
    w->Next();
    const std::vector<std::string> lines = log.Lines("tendrel.rating");
    ASSERT_EQ(lines.size(), 1u) << c.options.join(' ').toStdString();
    EXPECT_NE(lines[0].find(c.expected), std::string::npos) << lines[0];
  }
  // A rating that goes out logs nothing.
  SafeSurfStandIn server;
  auto w = Start(server);
  w->NextTo("TabSubmit");
  LogCapture log;
  w->Next();
  EXPECT_EQ(w->Page(), "tabFinish");
  EXPECT_TRUE(log.Lines("tendrel.rating").empty());
}
