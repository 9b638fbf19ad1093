// The configuration file reader on its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/PortConfig.h"
#include "platform/kernel/Tick.h"
#include "platform/rtl/Exception.h"

namespace {

class PortConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Named for the test, so that tests running at the same time never share a file.
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    FPath = (std::filesystem::temp_directory_path() / ("orvel-ini-" + test + "-" + std::to_string(GetTickCount64())))
                .string();
    Write("");
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove(FPath, ec);
  }

  void Write(const std::string& text) { std::ofstream(FPath, std::ios::binary | std::ios::trunc) << text; }

  std::string FPath;
};

TEST_F(PortConfigTest, FirstWordIsTheNumberModulo256) {
  // The word is at most 32 characters; what follows it is not looked at.
  const std::string zeros(31, '0');
  const struct {
    std::string Text;
    int Port;
  } cases[] = {
      {"3", 3},           {"  12 more words\n", 12}, {"260\n", 4},        {"\r\n\t 9\n10\n", 9},
      {"$1F", 31},        {"x1F", 31},               {"0x1F", 31},        {"0X1f\n", 31},
      {"-1", 255},        {"+7", 7},                 {"$FFFFFFFF", 255},  {"-2147483648", 0},
      {"", 0},            {" \t\r\n \n", 0},         {"0", 0},            {zeros + "3", 3},
      {zeros + "0" + "3", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Text));
    Write(c.Text);
    EXPECT_EQ(ReadPortNumber(FPath), c.Port);
  }
}

TEST_F(PortConfigTest, WordThatIsNotANumberIsAnInputError) {
  for (const char* text : {"COM3", "12abc", "3;", "$", "x", "0x", "-", "1.5", "2147483648", "$100000000"}) {
    SCOPED_TRACE(text);
    Write(text);
    EXPECT_THROW(ReadPortNumber(FPath), EInOutError);
  }
}

TEST_F(PortConfigTest, FileThatCannotBeOpenedIsAnInputError) {
  EXPECT_THROW(ReadPortNumber(FPath + ".missing"), EInOutError);
  EXPECT_FALSE(ConfigFileExists(FPath + ".missing"));
  EXPECT_FALSE(ConfigFileExists(std::filesystem::temp_directory_path().string()))
      << "a folder is not a configuration file";
  EXPECT_THROW(ReadPortNumber(std::filesystem::temp_directory_path().string()), EInOutError);
  EXPECT_TRUE(ConfigFileExists(FPath));
}

}  // namespace
