// The publish run end to end against the stand-in Tillon service (HTTPS) and
// a real FTP server (pyftpdlib): what the service registers, what lands on the
// server, what the user is told, and what survives each failure.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string>
#include <vector>

#include "common/files.h"
#include "common/paths.h"
#include "seller/authoring/cipher.h"
#include "seller/publish/pipeline.h"
#include "seller/publish/publish_fixture.h"

using namespace tendrel;
using namespace publishtest;

namespace {

class PipelineTest : public PublishFixture {
 protected:
  // Runs the pipeline over the current Salebox (or the rows given) and gives
  // back its result.
  bool Publish(std::vector<TApplet*> rows) {
    PublishView view;
    view.rowStatus = [this](size_t row, const std::string& text) { rowStatuses.emplace_back(row, text); };
    view.status = [this](const std::string& text) { statuses.push_back(text); };
    view.enableOutput = [this] { ++outputEnabled; };
    PublishPipeline pipeline(ctx, runner, view);
    int calls = 0;
    bool result = false;
    pipeline.Run(std::move(rows), Server(), [&](bool ok) {
      ++calls;
      result = ok;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(pipeline.Running());
    return result;
  }
  bool Publish() { return Publish({&ctx.Applet()}); }

  // A transfer's progress: "<step> <sent>/<total> <unit>".
  static bool IsProgress(const std::string& text) {
    for (const char* unit : {" bytes", " KiB", " MiB"}) {
      const std::string u = unit;
      if (text.size() > u.size() && text.compare(text.size() - u.size(), u.size(), u) == 0 &&
          text.find('/', text.rfind(' ', text.size() - u.size() - 1)) != std::string::npos)
        return true;
    }
    return false;
  }
  // The row's statuses in order, progress notes left out.
  std::vector<std::string> RowSteps() const {
    std::vector<std::string> steps;
    for (const auto& [row, text] : rowStatuses)
      if (!IsProgress(text)) steps.push_back(text);
    return steps;
  }
  std::vector<std::string> ProgressNotes() const {
    std::vector<std::string> notes;
    for (const auto& [row, text] : rowStatuses)
      if (IsProgress(text)) notes.push_back(text);
    return notes;
  }

  InlineRunner runner;
  std::vector<std::pair<size_t, std::string>> rowStatuses;
  std::vector<std::string> statuses;
  int outputEnabled = 0;
};

}  // namespace

// The whole road of a product: registered field by field, encoded file and
// preview uploaded, the ID in the record, and the service's own decoder gets
// the source back from what the server holds. (The Publish wizard's tests
// take an image and an HTML page the same way, from the Create wizard.)
TEST_F(PipelineTest, RegistersUploadsAndTheServiceDecodesTheSource) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  // Text over more than two pieces of 8192 bytes.
  const QByteArray source = RandomBytes(20000, 3).toBase64();
  const std::string sourcePath = File("story.txt", source);
  const QByteArray teaser = QByteArray("GIF89a") + RandomBytes(3000, 11);
  Product(sourcePath, "text/plain", File("teaser.gif", teaser));

  ASSERT_TRUE(Publish());
  const TApplet& r = ctx.Applet();
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPublishSucceededMessage});
  EXPECT_EQ(r.ProductID, "5001");
  EXPECT_EQ(r.UploadState, "Uploaded");
  EXPECT_EQ(r.Key.Length, 16);
  EXPECT_EQ(outputEnabled, 1);

  // The request, field by field.
  const std::vector<std::string> sent = Registrations();
  ASSERT_EQ(sent.size(), 1u);
  const std::string encodedName = "story.etxt";
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"vendor_id", "1001"},
      {"vendor_password", "pw7%20secret"},
      {"product_id", ""},
      {"product_name", "Poems%20of%20O%60Hara"},
      {"product_description", "Short%20%26%20sweet"},
      {"product_price", "25"},
      {"product_url", "http://www.example.com/%7Evendor/" + encodedName},
      {"product_mime_type", "text/plain"},
      {"product_key", TTillonCipher::KeyToHex(r.Key)},
  };
  EXPECT_EQ(QueryFields(sent[0]), expected);
  EXPECT_EQ(sent[0].rfind("GET /vendor/VendorProductReplace.html?vendor_id=", 0), 0u);

  // On the server, in the starting directory; the local copy is gone, the
  // vendor's own file untouched.
  const std::string uploaded = ftp.HomePath(std::string(kStartDir) + "/" + encodedName);
  EXPECT_EQ(r.EncodedFile, files + "/" + encodedName);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(r.EncodedFile)));
  EXPECT_EQ(ReadAll(sourcePath), source);
  EXPECT_EQ(ReadAll(uploaded).size(), source.size());
  EXPECT_NE(ReadAll(uploaded), source);
  EXPECT_EQ(ReadAll(ftp.HomePath(std::string(kStartDir) + "/teaser.gif")), teaser);
  EXPECT_EQ(DecodedByService("5001", uploaded), source);

  // What the window was told on the way.
  const std::string server = ftp.Address();
  EXPECT_EQ(statuses, (std::vector<std::string>{kStatusHttp, "Establishing FTP connection to " + server,
                                                 kStatusEncoding, "Encoding Poems of O'Hara", kStatusRegistering,
                                                 ""}));
  EXPECT_EQ(RowSteps(), (std::vector<std::string>{kRowEncoding, "Registering Poems of O'Hara", "Received ID 5001",
                                                   "Uploading " + r.EncodedFile + "...", "",
                                                   "Uploading preview \"teaser.gif\"", ""}));
  const std::vector<std::string> notes = ProgressNotes();
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.front().rfind("Uploading " + r.EncodedFile + "... ", 0), 0u);
  EXPECT_NE(std::find(notes.begin(), notes.end(),
                      WithProgress("Uploading " + r.EncodedFile + "...", source.size(), source.size())),
            notes.end());
}

TEST_F(PipelineTest, AnEmptyListSucceedsAtOnceWithoutConnecting) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  EXPECT_TRUE(Publish({}));
  EXPECT_TRUE(dialogs.shown.empty());
  EXPECT_TRUE(statuses.empty());
  EXPECT_EQ(outputEnabled, 0);
  EXPECT_TRUE(service->Requests().empty());
  EXPECT_EQ(ftp.Connections(), 0u);
  EXPECT_FALSE(ctx.Service().Connected());
}

// The key travels only inside the request; the activity log never shows it
// (nor the vendor's password), in the sent line or in an error report.
TEST_F(PipelineTest, TheActivityLogMasksTheKeyAndThePassword) {
  StartService({QStringLiteral("--no-token")});
  StartFtp();
  ctx.Settings().WriteText("Options", "Logging", "Yes");
  Product(File("story.txt", "Once upon a time."), "text/plain");
  EXPECT_FALSE(Publish());
  const std::string hex = TTillonCipher::KeyToHex(ctx.Applet().Key);
  ASSERT_EQ(hex.size(), 32u);
  const QByteArray log = ReadAll(AppDir() + "/tlnlog.txt");
  const std::string text = log.toStdString();
  EXPECT_NE(text.find("[SENT] /vendor/VendorProductReplace.html?vendor_id=1001&vendor_password=****&"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("&product_key=****"), std::string::npos);
  EXPECT_NE(text.find("[ERROR] Registration of Poems of O'Hara has failed."), std::string::npos);
  EXPECT_NE(text.find("\r\nproduct_key=****\r\n"), std::string::npos);
  EXPECT_EQ(text.find(hex), std::string::npos);
  EXPECT_EQ(text.find("pw7"), std::string::npos);
}

TEST_F(PipelineTest, RefusedFtpStopsBeforeEncodingAndTheNextRunConnectsAfresh) {
  StartService();
  FtpStandIn& refusing = StartFtp({QStringLiteral("--refuse")});
  const std::string source = File("story.txt", "Once upon a time.");
  Product(source, "text/plain");

  EXPECT_FALSE(Publish());
  const std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].rfind("Could not connect to FTP host (" + refusing.Address() + ") or change directory (www)",
                           0),
            0u)
      << shown[0];
  EXPECT_EQ(shown[1], kConnectionFailedMessage);
  EXPECT_EQ(statuses.back(), "");
  EXPECT_TRUE(rowStatuses.empty());
  EXPECT_TRUE(Registrations().empty());
  EXPECT_EQ(ctx.Applet().ProductID, "");
  EXPECT_EQ(ctx.Applet().Key.Length, 0);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(files + "/story.etxt")));
  EXPECT_EQ(outputEnabled, 0);

  dialogs.shown.clear();
  FtpStandIn& good = StartFtp();
  EXPECT_TRUE(Publish());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPublishSucceededMessage});
  EXPECT_TRUE(good.Exists("www/story.etxt"));
  EXPECT_EQ(ReadAll(source), QByteArray("Once upon a time."));
}

TEST_F(PipelineTest, AWrongPasswordNamesHostAndDirectoryAndTheNextRunLogsInAgain) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  DefineServer(ftp.Address(), "wrong");
  Product(File("story.txt", "Once upon a time."), "text/plain");

  EXPECT_FALSE(Publish());
  std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  const std::string connect = "Could not connect to FTP host (" + ftp.Address() + ") or change directory (www)";
  EXPECT_EQ(shown[0].rfind(connect + "\r\n\r\n", 0), 0u) << shown[0];
  EXPECT_NE(shown[0].find("\r\n\r\nError "), std::string::npos);
  EXPECT_EQ(shown[0].find("wrong"), std::string::npos);
  EXPECT_EQ(shown[1], kConnectionFailedMessage);
  EXPECT_TRUE(Registrations().empty());

  dialogs.shown.clear();
  DefineServer(ftp.Address(), FtpStandIn::kPassword);
  EXPECT_TRUE(Publish());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPublishSucceededMessage});
  EXPECT_EQ(ftp.CommandsOf("USER").size(), 2u);
  EXPECT_TRUE(ftp.Exists("www/story.etxt"));
}

// An upload cut off halfway leaves the product registered and its encoded
// copy on disk; the next run encodes afresh under a new name and key, so the
// stale copy is never what goes up, and what goes up decodes to the source.
TEST_F(PipelineTest, AnUploadCutOffKeepsTheRegistrationAndTheNextRunSendsAFreshCopy) {
  StartService();
  StartFtp({QStringLiteral("--cut-upload"), QStringLiteral("65536")});
  const QByteArray source = RandomBytes(400000, 5);
  const std::string sourcePath = File("photo.gif", source);
  Product(sourcePath, "image/gif");

  EXPECT_FALSE(Publish());
  TApplet& r = ctx.Applet();
  const std::string first = files + "/photo.egif";
  std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 1u);  // the transfer's report only
  EXPECT_EQ(shown[0].rfind("Could not transfer " + first + "\r\n\r\n", 0), 0u) << shown[0];
  EXPECT_EQ(RowSteps().back(), "ERR : Upload of '" + first + "' failed");
  EXPECT_EQ(statuses.back(), "");
  EXPECT_EQ(r.ProductID, "5001");
  EXPECT_NE(r.UploadState, "Uploaded");
  EXPECT_EQ(outputEnabled, 0);
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(first)));
  EXPECT_EQ(ReadAll(sourcePath), source);
  const std::string firstKey = TTillonCipher::KeyToHex(r.Key);

  dialogs.shown.clear();
  FtpStandIn& good = StartFtp();
  EXPECT_TRUE(Publish());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kPublishSucceededMessage});
  const std::string second = files + "/photo1.egif";
  EXPECT_EQ(r.EncodedFile, second);
  EXPECT_NE(TTillonCipher::KeyToHex(r.Key), firstKey);
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(first)));  // the old copy stays where it was
  EXPECT_FALSE(good.Exists("www/photo.egif"));
  const std::vector<std::string> sent = Registrations();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(QueryFields(sent[1])[2], (std::pair<std::string, std::string>{"product_id", "5001"}));
  EXPECT_EQ(QueryFields(sent[1])[6].second, "http://www.example.com/%7Evendor/photo1.egif");
  EXPECT_EQ(DecodedByService("5001", good.HomePath("www/photo1.egif")), source);
}

TEST_F(PipelineTest, ARegistrationReplyWithoutTheTokenIsReportedOneFieldALine) {
  StartService({QStringLiteral("--no-token")});
  FtpStandIn& ftp = StartFtp();
  Product(File("story.txt", "Once upon a time."), "text/plain");
  ctx.Applet().ProductID = "";

  EXPECT_FALSE(Publish());
  const TApplet& r = ctx.Applet();
  std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 2u);
  const std::string report = shown[0];
  EXPECT_EQ(report.rfind("Registration of Poems of O'Hara has failed.\r\n\r\n"
                         "Thank you. Your request was received as 5001;\r\n\r\n"
                         "/vendor/VendorProductReplace.html?vendor_id=1001\r\n"
                         "vendor_password=****\r\nproduct_id=\r\nproduct_name=Poems%20of%20O%60Hara\r\n"
                         "product_description=Short%20%26%20sweet\r\nproduct_price=25\r\n"
                         "product_url=http://www.example.com/%7Evendor/story.etxt\r\n"
                         "product_mime_type=text/plain\r\nproduct_key=****\r\n\r\nError ",
                         0),
            0u)
      << report;
  EXPECT_EQ(shown[1], kRegistrationFailedMessage);
  EXPECT_EQ(RowSteps().back(), kRowRegistrationFailed);
  EXPECT_EQ(r.ProductID, "");
  EXPECT_TRUE(ftp.CommandsOf("STOR").empty());
  // The encoded file stays on disk; the error report closed the connections.
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(files + "/story.etxt")));
  EXPECT_FALSE(ctx.Service().Connected());
  EXPECT_EQ(outputEnabled, 0);
}

TEST_F(PipelineTest, AFailedPreviewOnTheOnlyProductEndsWithoutSuccessButRegistered) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  // A folder of the preview's name on the server refuses the transfer.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(ftp.HomePath("www/teaser.gif"))));
  Product(File("story.txt", "Once upon a time."), "text/plain", File("teaser.gif", "GIF89a...."));

  EXPECT_FALSE(Publish());
  std::vector<std::string> shown = dialogs.MessageTexts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("An error occurred while trying to upload teaser.gif to your FTP server.\r\n\r\n", 0), 0u)
      << shown[0];
  EXPECT_EQ(RowSteps().back(), "ERR : Upload of preview file \"teaser.gif\" failed");
  EXPECT_EQ(ctx.Applet().ProductID, "5001");
  EXPECT_EQ(ctx.Applet().UploadState, "Uploaded");
  EXPECT_TRUE(ftp.Exists("www/story.etxt"));
  EXPECT_EQ(outputEnabled, 0);
  EXPECT_EQ(statuses.back(), "");
}

// A missing source, or one without an extension, encodes nothing; an older
// encoded copy the record still names is not taken for this run's.
TEST_F(PipelineTest, EncodingThatMakesNoFileFailsEvenWithAnOldCopyAbout) {
  StartService();
  FtpStandIn& ftp = StartFtp();
  const std::string old = File("story.etxt", "an old copy under an old key");
  Product(files + "/story.txt", "text/plain");
  ctx.Applet().EncodedFile = old;

  EXPECT_FALSE(Publish());
  EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Cannot find source file : " + files + "/story.txt",
                                                              kEncodingFailedMessage}));
  EXPECT_EQ(RowSteps(), (std::vector<std::string>{kRowEncoding, kRowEncodingFailed}));
  EXPECT_EQ(ctx.Applet().Key.Length, 16);  // the key made stays in the record
  EXPECT_TRUE(Registrations().empty());
  EXPECT_TRUE(ftp.CommandsOf("STOR").empty());

  dialogs.shown.clear();
  const std::string bare = File("README", "no extension");
  ctx.Applet().SourceFile = bare;
  ctx.Applet().EncodedFile = old;
  EXPECT_FALSE(Publish());
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kEncodingFailedMessage});
  EXPECT_TRUE(Registrations().empty());
  EXPECT_EQ(ReadAll(bare), QByteArray("no extension"));
  EXPECT_EQ(ReadAll(old), QByteArray("an old copy under an old key"));
}

// A reply with the token but no ";" after its "}" leaves the ID as it was;
// the run still succeeds.
TEST_F(PipelineTest, AReplyWithoutSemicolonKeepsTheProductId) {
  StartService({QStringLiteral("--token-without-semicolon")});
  StartFtp();
  Product(File("story.txt", "Once upon a time."), "text/plain");
  ctx.Applet().ProductID = "4242";
  EXPECT_TRUE(Publish());
  EXPECT_EQ(ctx.Applet().ProductID, "4242");
  EXPECT_EQ(QueryFields(Registrations().at(0))[2].second, "4242");
  const std::vector<std::string> steps = RowSteps();
  EXPECT_EQ(std::count(steps.begin(), steps.end(), "Received ID 4242"), 0);
}

TEST(ProductIdOfReply, TakesTheTextAfterTheFirstBraceUpToTheNextSemicolon) {
  EXPECT_EQ(ProductIdOfReply("{SUCCESS}12345;"), "12345");
  EXPECT_EQ(ProductIdOfReply("Saved {SUCCESS}12345;more;"), "12345");
  EXPECT_EQ(ProductIdOfReply("{SUCCESS}  77 \t;"), "77");
  EXPECT_EQ(ProductIdOfReply("{success}12345"), "");
  EXPECT_EQ(ProductIdOfReply("{SUCCESS};"), "");
  EXPECT_EQ(ProductIdOfReply("12345;"), "");
  EXPECT_EQ(ProductIdOfReply(""), "");
}

TEST(WithProgress, ThePartSentOfTheWholeInTheWholesUnit) {
  EXPECT_EQ(WithProgress("Up...", 0, 0), "Up... 0/0 bytes");
  EXPECT_EQ(WithProgress("Up...", 4000, 10239), "Up... 4000/10239 bytes");
  EXPECT_EQ(WithProgress("Up...", 5000, 10240), "Up... 4/10 KiB");
  EXPECT_EQ(WithProgress("Up...", 3 << 20, 10 << 20), "Up... 3/10 MiB");
  EXPECT_EQ(WithProgress("Up...", uint64_t{256} << 20, uint64_t{256} << 20), "Up... 256/256 MiB");
}

TEST(RegistrationFailureDetail, ShowsTheReplyAndOneMaskedFieldALine) {
  EXPECT_EQ(RegistrationFailureDetail("", "/p?vendor_id=7&vendor_password=x&product_key=AB"),
            "(Error message from host contained no information.)\r\n\r\n"
            "/p?vendor_id=7\r\nvendor_password=****\r\nproduct_key=****");
  EXPECT_EQ(RegistrationFailureDetail("No.", "/p?a=1"), "No.\r\n\r\n/p?a=1");
}
