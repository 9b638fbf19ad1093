#include <gtest/gtest.h>

#include "instruments/VrClasses.h"
#include "platform/rtl/Exception.h"

namespace {

struct Notified {
  int count = 0;
  void Watch(TVrPersistent& p) {
    p.ChangeNotify = [this](TObject*) { ++count; };
  }
};

TEST(VrPalette, StartsGreenAndLimeAndPicksByIndex) {
  TVrPalette p;
  EXPECT_EQ(p.Low(), clGreen);
  EXPECT_EQ(p.High(), clLime);
  EXPECT_EQ(p.GetColor(0), clGreen);
  EXPECT_EQ(p.GetColor(-5), clGreen);
  EXPECT_EQ(p.GetColor(1), clLime);
  EXPECT_EQ(p.GetColor(7), clLime);
}

TEST(VrPalette, SettersNotifyOnlyRealChanges) {
  TVrPalette p;
  Notified n;
  n.Watch(p);
  p.SetLow(clGreen);
  EXPECT_EQ(n.count, 0);
  p.SetLow(clBlack);
  p.SetHigh(clRed);
  EXPECT_EQ(n.count, 2);
}

TEST(VrPalette, AssignmentNotifiesExactlyOnceEvenWithoutChange) {
  TVrPalette p, same, other;
  Notified n;
  n.Watch(p);
  p.Assign(&same);
  EXPECT_EQ(n.count, 1);
  other.SetLow(clBlack);
  other.SetHigh(clRed);
  p.Assign(&other);
  EXPECT_EQ(n.count, 2);
  EXPECT_EQ(p.Low(), clBlack);
  EXPECT_EQ(p.High(), clRed);
  EXPECT_EQ(p.UpdateCount(), 0);
}

TEST(VrPalette, AssignmentFromAnythingElseRaisesAndChangesNothing) {
  TVrPalette p;
  TVrPersistent notAPalette;
  Notified n;
  n.Watch(p);
  try {
    p.Assign(&notAPalette);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Impossible d'affecter TVrPersistent \u00e0 TVrPalette");
  }
  EXPECT_THROW(p.Assign(nullptr), EConvertError);
  EXPECT_EQ(n.count, 0);
  EXPECT_EQ(p.Low(), clGreen);
  EXPECT_EQ(p.UpdateCount(), 0);
}

TEST(VrPersistent, NestedUpdatesFoldIntoTheLastEnd) {
  TVrPalette p;
  Notified n;
  n.Watch(p);
  p.BeginUpdate();
  p.BeginUpdate();
  p.SetLow(clBlack);
  p.EndUpdate();
  EXPECT_EQ(n.count, 0);
  p.EndUpdate();
  EXPECT_EQ(n.count, 1);
  p.EndUpdate();  // already closed: stays at 0 and notifies
  EXPECT_EQ(p.UpdateCount(), 0);
  EXPECT_EQ(n.count, 2);
}

}  // namespace
