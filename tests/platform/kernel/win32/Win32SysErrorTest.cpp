#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/SysError.h"

std::string SystemTextOf(unsigned code);
void SetSystemLastError(unsigned code);

TEST(SysError, LastErrorIsTheSystemsOwn) {
  SetSystemLastError(5);
  EXPECT_EQ(GetLastError(), 5);
  SetLastError(2);
  EXPECT_EQ(GetLastError(), 2);
}

TEST(SysError, TextIsFormatMessagesWithoutTrailingBlanksAndFullStops) {
  for (unsigned code : {2u, 5u, 87u, 995u}) {
    SCOPED_TRACE(code);
    std::string expected = SystemTextOf(code);
    while (!expected.empty() && (static_cast<unsigned char>(expected.back()) <= ' ' || expected.back() == '.'))
      expected.pop_back();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(SysErrorMessage(int(code)), expected.substr(0, 256));
  }
  EXPECT_EQ(SysErrorMessage(0x7FFFFFF0), "") << "a code without text";
}
