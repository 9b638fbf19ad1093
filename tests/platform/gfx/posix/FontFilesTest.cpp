#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/Font.h"
#include "platform/gfx/FontFace.h"

namespace {

std::string SourceOf(const char* family, bool bold) {
  TFont f;
  f.SetName(family);
  if (bold) f.SetStyle(TFontStyles{fsBold});
  return f.Face().Source();
}

// The design's families come from the files that measure as Windows' fonts, also where
// fontconfig does not list them; a bold face is the family's bold file where it has one.
TEST(FontFiles, DesignFamiliesComeFromTheirMetricStandIns) {
  EXPECT_NE(SourceOf("MS Sans Serif", false).find("sserife.fon"), std::string::npos) << SourceOf("MS Sans Serif", false);
  EXPECT_NE(SourceOf("Arial", false).find("LiberationSans-Regular"), std::string::npos);
  EXPECT_NE(SourceOf("Arial", true).find("LiberationSans-Bold"), std::string::npos);
  EXPECT_NE(SourceOf("Tahoma", true).find("tahomabd.ttf"), std::string::npos);
  EXPECT_NE(SourceOf("Tahoma", false).find("tahoma.ttf"), std::string::npos);
}

}  // namespace
