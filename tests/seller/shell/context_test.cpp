#include "seller/shell/context.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "host/in_memory_host.h"
#include "support/temp_home.h"
#include "support/scripted_dialogs.h"

using namespace tendrel;

namespace {

// A record with enough fields for a tag, standing for the "old" of a page
// "<p>old</p>".
void FillRecord(TApplet& record, const std::string& name) {
  record.ProductName = name;
  record.Width = "400";
  record.Height = "300";
  record.Cost = "25";
  record.MediaType = "text/plain";
  record.DocPosition = 3;
  record.DocLength = 3;
}

std::unique_ptr<InMemoryHost> HostWith(const std::string& text) {
  auto host = std::make_unique<InMemoryHost>();
  host->doc.ReplaceAll(text);
  return host;
}

TEST(BravantContext, RecordTakenBeforeTheHostIsTheOneThatWritesToIt) {
  TempHome home;
  ScriptedDialogs dialogs;
  BravantContext ctx(dialogs);
  TApplet& record = ctx.Applet();
  EXPECT_EQ(record.Host(), nullptr);
  FillRecord(record, "Poems");

  std::unique_ptr<InMemoryHost> owned = HostWith("<p>old</p>");
  InMemoryHost& first = *owned;
  ctx.AttachHost(std::move(owned));
  EXPECT_EQ(&ctx.Applet(), &record);
  EXPECT_EQ(record.Host(), &first);
  // What was put into the record before the host came is still there.
  EXPECT_EQ(record.ProductName, "Poems");
  ASSERT_TRUE(record.UpdateInDocument());
  EXPECT_NE(first.doc.Text().find("Poems"), std::string::npos) << first.doc.Text();
  EXPECT_EQ(first.doc.Text().find("old"), std::string::npos) << first.doc.Text();

  // A later host takes the place of the first; the same record now writes
  // there (the first host is gone).
  owned = HostWith("<p>old</p>");
  InMemoryHost& second = *owned;
  ctx.AttachHost(std::move(owned));
  EXPECT_EQ(ctx.Host(), &second);
  EXPECT_EQ(record.Host(), &second);
  record.ProductName = "Songs";
  ASSERT_TRUE(record.UpdateInDocument());
  EXPECT_NE(second.doc.Text().find("Songs"), std::string::npos) << second.doc.Text();
  EXPECT_EQ(second.doc.Text().find("old"), std::string::npos) << second.doc.Text();

  // No host at all: the record does without and writes nowhere.
  ctx.AttachHost(nullptr);
  EXPECT_EQ(record.Host(), nullptr);
  EXPECT_TRUE(record.UpdateInDocument());
}

TEST(BravantState, StartsPlacedWithoutHostOrEditing) {
  BravantState state;
  EXPECT_TRUE(state.SaleboxPlaced());
  EXPECT_FALSE(state.HostWindowFound());
  EXPECT_FALSE(state.EditMode());
}

// Each flag announces a real change once, with the new value, and stays
// silent when set to the value it holds.
TEST(BravantState, OnlyRealChangesAreAnnounced) {
  BravantState state;
  QSignalSpy placed(&state, &BravantState::saleboxPlacedChanged);
  QSignalSpy found(&state, &BravantState::hostWindowFoundChanged);
  QSignalSpy edit(&state, &BravantState::editModeChanged);

  state.SetSaleboxPlaced(true);
  state.SetHostWindowFound(false);
  state.SetEditMode(false);
  EXPECT_EQ(placed.count() + found.count() + edit.count(), 0);

  state.SetSaleboxPlaced(false);
  state.SetSaleboxPlaced(false);
  state.SetHostWindowFound(true);
  state.SetEditMode(true);
  state.SetEditMode(true);
  ASSERT_EQ(placed.count(), 1);
  EXPECT_FALSE(placed.at(0).at(0).toBool());
  EXPECT_FALSE(state.SaleboxPlaced());
  ASSERT_EQ(found.count(), 1);
  EXPECT_TRUE(found.at(0).at(0).toBool());
  ASSERT_EQ(edit.count(), 1);
  EXPECT_TRUE(edit.at(0).at(0).toBool());

  // Back again: one more each, carrying the old value.
  state.SetSaleboxPlaced(true);
  state.SetHostWindowFound(false);
  state.SetEditMode(false);
  ASSERT_EQ(placed.count(), 2);
  EXPECT_TRUE(placed.at(1).at(0).toBool());
  EXPECT_EQ(found.count(), 2);
  EXPECT_EQ(edit.count(), 2);
}

}  // namespace
