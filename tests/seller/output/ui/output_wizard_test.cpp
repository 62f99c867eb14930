// The Output page: its controls within the room beside the side picture,
// and the button's page output with the hand-over to the Create wizard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QHBoxLayout>
#include <QWidget>

#include "host/in_memory_host.h"
#include "seller/output/ui/output_wizard.h"
#include "seller/shell/context.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

using namespace tendrel;

namespace {

class RecordingFrame : public WizardFrame {
 public:
  explicit RecordingFrame(BravantContext& ctx) : ctx_(ctx) {}
  std::vector<std::string> log;

  void EnableWizard(const std::string& id, bool enabled) override {
    log.push_back((enabled ? "enable " : "disable ") + id);
  }
  bool WizardEnabled(const std::string&) const override { return true; }
  void SwitchTo(const std::string& id) override { log.push_back("switch " + id); }
  void ResetWizard(const std::string& id) override {
    log.push_back("reset " + id);
    ctx_.Applet().Clear();
  }
  void CommitWizard(const std::string& id) override { log.push_back("commit " + id); }
  std::string ActiveWizard() const override { return kOutputWizard; }
  void ShowStatus(const std::string&) override {}
  BravantContext& Context() override { return ctx_; }

 private:
  BravantContext& ctx_;
};

class OutputWizardTest : public ::testing::Test {
 protected:
  OutputWizardTest() {
    auto h = std::make_unique<InMemoryHost>();
    host = h.get();
    ctx.AttachHost(std::move(h));
    page.setLayout(new QHBoxLayout);
    page.resize(398, 317);
    wizard = std::make_unique<OutputWizard>(WizardSite(frame, &page, "pnlOutput"));
    panel = page.findChild<QWidget*>(QStringLiteral("pnlOutput"));
    button = page.findChild<QPushButton*>(QStringLiteral("btnOutputAll"));
  }

  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx{dialogs};
  InMemoryHost* host = nullptr;
  RecordingFrame frame{ctx};
  QWidget page;
  std::unique_ptr<OutputWizard> wizard;
  QWidget* panel = nullptr;
  QPushButton* button = nullptr;
};

}  // namespace

TEST_F(OutputWizardTest, TheTextsAndTheButtonFitTheRoomWithoutOverlapping) {
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(button, nullptr);
  const QRect room(0, 0, 398, 317);
  std::vector<QWidget*> controls;
  for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) controls.push_back(w);
  ASSERT_GE(controls.size(), 4u);
  for (QWidget* w : controls) {
    EXPECT_TRUE(room.contains(w->geometry())) << w->metaObject()->className();
    if (auto* label = qobject_cast<QLabel*>(w)) {
      const int needed = label->wordWrap() ? label->heightForWidth(label->width()) : label->sizeHint().height();
      EXPECT_LE(needed, label->height()) << label->text().toStdString();
      if (!label->wordWrap()) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
      }
    }
  }
  EXPECT_LE(button->sizeHint().width(), button->width());
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << " and " << j;
}

TEST_F(OutputWizardTest, EnteringCommitsTheCreateWizardsFields) {
  wizard->Enter();
  EXPECT_EQ(frame.log, std::vector<std::string>{"commit create"});
}

TEST_F(OutputWizardTest, TheButtonPlacesTheSaleboxAndYesStartsAnother) {
  host->doc.ReplaceAll("<html><head></head><body>\r\n<p>x</p>\r\n</body></html>");
  host->doc.SetSelection(30, 0);
  ctx.Applet().ProductID = "P1";
  ctx.State().SetSaleboxPlaced(false);
  dialogs.messageAnswers = {MsgResult::Yes};
  QTest::mouseClick(button, Qt::LeftButton);

  EXPECT_NE(host->doc.Text().find("<p><applet name=\"Tillon1\""), std::string::npos) << host->doc.Text();
  EXPECT_EQ(dialogs.MessageTexts(), std::vector<std::string>{kCreateAnotherQuestion});
  EXPECT_EQ(frame.log, (std::vector<std::string>{"reset create", "switch create"}));
  EXPECT_TRUE(ctx.State().SaleboxPlaced());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OutputWizardTest, AFailingHostIsReportedAndTheHourglassGoes) {
  host->failing.insert("getalltext");
  button->click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "The editor could not carry out getalltext");
  EXPECT_EQ(dialogs.shown[0].caption, kProgramTitle);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(frame.log.empty());
}

TEST_F(OutputWizardTest, PreviewOffersTheHostsBrowsersInTheBrowserMenu) {
  auto* preview = page.findChild<QPushButton*>(QStringLiteral("btnPreview"));
  ASSERT_NE(preview, nullptr);
  EXPECT_LE(preview->sizeHint().width(), preview->width());
  host->browserList = "None=None\x1e" "Chromium=/usr/bin/chromium";
  preview->click();
  QMenu* menu = wizard->BrowserMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->objectName(), QStringLiteral("popBrowser"));
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("None"));
  EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Chromium"));
  EXPECT_TRUE(dialogs.shown.empty());
  menu->hide();

  // The menu is built afresh each time: a shorter list leaves no old items.
  host->browserList = "None=None\x1e" "Firefox=/usr/bin/firefox\x1e";
  preview->click();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("Firefox"));
  menu->hide();

  // Choosing an item previews with its program.
  host->doc.ReplaceAll("<html><head></head><body>\r\n</body></html>");
  menu->actions()[1]->trigger();
  ASSERT_EQ(host->previews.size(), 1u);
  EXPECT_EQ(host->previews[0].second, "/usr/bin/firefox");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(OutputWizardTest, PreviewWithOneBrowserWarnsAndWithNoDocumentSaysSo) {
  auto* preview = page.findChild<QPushButton*>(QStringLiteral("btnPreview"));
  ASSERT_NE(preview, nullptr);
  host->browserList = "None=None";
  preview->click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kPreviewNeedsBrowsers);
  EXPECT_EQ(dialogs.shown[0].icon, MsgIcon::Warning);
  host->docOpen = false;
  preview->click();
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[1].text, kPreviewNeedsDocument);
  EXPECT_TRUE(host->previews.empty());
}
