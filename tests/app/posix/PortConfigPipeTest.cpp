// The configuration file reader with what only Linux has: named pipes and endless devices.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "app/PortConfig.h"
#include "platform/rtl/Exception.h"
#include "support/Deadline.h"

namespace {

// A pipe would hold start-up until something writes to it, and an endless device would
// keep it skipping white space for ever; neither is a configuration file to be read.
TEST(PortConfigFile, APipeOrADeviceIsAnInputErrorAndNeverAWait) {
  char tmpl[] = "/tmp/orvel-fifo-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string pipe = std::string(tmpl) + "/OrvelAX9.ini";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  {
    TDeadline deadline(5000, "reading a named pipe as the configuration file");
    EXPECT_THROW(ReadPortNumber(pipe), EInOutError);
    EXPECT_THROW(ReadPortNumber("/dev/zero"), EInOutError);
  }
  unlink(pipe.c_str());
  rmdir(tmpl);
}

}  // namespace
