#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatFloat.h"

namespace {

struct SeparatorGuard {
  char saved = DecimalSeparator();
  ~SeparatorGuard() { SetDecimalSeparator(saved); }
};

TEST(FormatFixed, RoundsToEightSignificantDigitsThenPadsTheDecimals) {
  SeparatorGuard g;
  SetDecimalSeparator('.');
  EXPECT_EQ(FormatFixed(-20, 0), "-20");
  EXPECT_EQ(FormatFixed(0, 0), "0");
  EXPECT_EQ(FormatFixed(10, 2), "10.00");
  EXPECT_EQ(FormatFixed(2.5, 0), "3");  // halves away from zero
  EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
  EXPECT_EQ(FormatFixed(1.23456789, 10), "1.2345679000");
  EXPECT_EQ(FormatFixed(12345678.9, 2), "12345679.00");
  EXPECT_EQ(FormatFixed(0.000123456789, 12), "0.000123456790");
  EXPECT_EQ(FormatFixed(359.99999999, 1), "360.0");
}

TEST(FormatFixed, NoMinusOnZeroAndScientificBeyondEightIntegerDigits) {
  SeparatorGuard g;
  SetDecimalSeparator('.');
  EXPECT_EQ(FormatFixed(-1e-15, 0), "0");
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(1234567891.0, 0), "1.2345679E9");
  EXPECT_EQ(FormatFixed(-1e20, 3), "-1E20");
  EXPECT_EQ(FormatFixed(99999999.7, 0), "1E8");
  EXPECT_EQ(FormatFixed(1.5, -3), "2");
  EXPECT_EQ(FormatFixed(1.5, 1000).size(), 20u) << "decimals stop at 18";
}

// Whole numbers take a short way; it must agree with the general one at its edges.
TEST(FormatFixed, WholeNumbersAsTheGeneralRoundingWritesThem) {
  EXPECT_EQ(FormatFixed(-0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(-40, 1), "-40.0");
  EXPECT_EQ(FormatFixed(9999999, 0), "9999999");
  EXPECT_EQ(FormatFixed(-9999999, 3), "-9999999.000");
  EXPECT_EQ(FormatFixed(10000000, 0), "10000000");  // eight digits: the general way
  EXPECT_EQ(FormatFixed(123456789, 0), "1.2345679E8");
  EXPECT_EQ(FormatFixed(5, 18), "5.000000000000000000");
}

TEST(FormatFixed, UsesTheUsersDecimalSeparator) {
  SeparatorGuard g;
  SetDecimalSeparator(',');
  EXPECT_EQ(FormatFixed(-12.25, 1), "-12,3");
  EXPECT_EQ(FormatFixed(3, 2), "3,00");
}

TEST(Format, FillsPlaceholdersLikeTheToolkit) {
  EXPECT_EQ(Format("%s", {std::string("-20")}), "-20");
  EXPECT_EQ(Format("%s deg", {std::string("5")}), "5 deg");
  EXPECT_EQ(Format("%.3d", {int64_t(7)}), "007");
  EXPECT_EQ(Format("%.3d", {int64_t(1234)}), "1234");
  EXPECT_EQ(Format("%.3d", {int64_t(-7)}), "-007");
  EXPECT_EQ(Format("%.0d", {int64_t(0)}), "0");
  EXPECT_EQ(Format("%5s|%-4s|", {std::string("ab"), std::string("c")}), "   ab|c   |");
  EXPECT_EQ(Format("%0:s%0:s %%", {std::string("x")}), "xx %");
  EXPECT_EQ(Format("no placeholder", {std::string("x")}), "no placeholder");
  EXPECT_EQ(Format("%*d", {int64_t(4), int64_t(12)}), "  12");
  EXPECT_EQ(Format("%x", {int64_t(255)}), "FF");
  EXPECT_EQ(Format("%.2f", {2.345}), "2.35");
}

TEST(Format, APatternThatDoesNotFitItsArgumentsRaises) {
  const TFormatArg one = std::string("1");
  EXPECT_THROW(Format("%s %s", {one}), EFormatError);
  EXPECT_THROW(Format("%d", {one}), EFormatError);
  EXPECT_THROW(Format("%s%", {one}), EFormatError);
  EXPECT_THROW(Format("%q", {one}), EFormatError);
  EXPECT_THROW(Format("%*s", {one}), EFormatError);
  EXPECT_THROW(Format("%99999999999s", {one}), EFormatError);
  try {
    Format("%d", {one});
  } catch (const EFormatError& e) {
    EXPECT_EQ(e.Message(), "Format '%d' incorrect ou incompatible avec l'argument");
  }
}

}  // namespace
