// The component types: change notification and the edit's change handler.
#include "platform/components.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexo {
namespace {

TEST(EditTest, ChangeHandlerRunsOncePerChangedText) {
  Edit sa;
  std::vector<Bytes> seen;
  sa.OnChange = [&] { seen.push_back(sa.Text()); };
  sa.SetText("2");
  sa.SetText("1");
  sa.SetText("1");  // the same text is no change
  sa.SetText("");
  EXPECT_EQ(seen, (std::vector<Bytes>{"2", "1", ""}));
}

TEST(EditTest, HandlerMayChangeTheTextAgain) {
  Edit e;
  int calls = 0;
  e.OnChange = [&] {
    ++calls;
    if (e.Text() == "0") e.SetText("");
  };
  e.SetText("0");
  EXPECT_EQ(e.Text(), "");
  EXPECT_EQ(calls, 2);
}

TEST(EditTest, ObserversSeeTheNewTextBeforeTheHandlerRuns) {
  Edit e;
  std::string order;
  e.changed.Connect([&] { order += "view:" + e.Text() + ";"; });
  e.OnChange = [&] { order += "handler:" + e.Text() + ";"; };
  e.SetText("x");
  EXPECT_EQ(order, "view:x;handler:x;");
}

TEST(LabelTest, EveryPropertyChangeIsReportedOnceAndRepeatsAreNot) {
  Label l;
  int changes = 0;
  l.changed.Connect([&] { ++changes; });
  l.SetCaption("a");
  l.SetCaption("a");
  l.SetVisible(false);
  l.SetVisible(false);
  l.SetEnabled(false);
  l.SetHint("h");
  l.SetColor(0x88C4FF);
  l.SetFontColor(0x44A2FF);
  l.SetFontColor(0x44A2FF);
  EXPECT_EQ(changes, 6);
  EXPECT_EQ(l.Caption(), "a");
  EXPECT_FALSE(l.Visible());
  EXPECT_EQ(l.Color(), 0x88C4FF);
}

TEST(SignalTest, SlotThatDisconnectsALaterSlotStopsIt) {
  Signal s;
  int second_calls = 0;
  int second = 0;
  s.Connect([&] { s.Disconnect(second); });
  second = s.Connect([&] { ++second_calls; });
  s.Emit();
  s.Emit();
  EXPECT_EQ(second_calls, 0);
  EXPECT_EQ(s.Size(), 1u);
}

TEST(SignalTest, SlotConnectedDuringEmitRunsFromTheNextEmitOn) {
  Signal s;
  int late = 0;
  bool added = false;
  s.Connect([&] {
    if (!added) {
      added = true;
      s.Connect([&] { ++late; });
    }
  });
  s.Emit();
  EXPECT_EQ(late, 0);
  s.Emit();
  EXPECT_EQ(late, 1);
}

TEST(SignalTest, SlotMayDisconnectItself) {
  Signal s;
  int calls = 0;
  int id = 0;
  id = s.Connect([&] {
    ++calls;
    s.Disconnect(id);
  });
  s.Emit();
  s.Emit();
  EXPECT_EQ(calls, 1);
}

TEST(FormWindowTest, BoundsChangeNotifiesOnlyWhenDifferent) {
  FormWindow w(540, 400);
  int changes = 0;
  w.changed.Connect([&] { ++changes; });
  w.SetBounds(10, 20, 540, 400);
  w.SetBounds(10, 20, 540, 400);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(w.Left(), 10);
  EXPECT_EQ(w.Height(), 400);
}

}  // namespace
}  // namespace vexo
