#include <gtest/gtest.h>

#include "vexabuild_options.h"

namespace {

struct Parsed {
  bool ok = false;
  VexaBuildOptions options;
  std::string error;
};

Parsed Parse(const std::vector<std::string>& arguments) {
  Parsed parsed;
  parsed.error = "(not set)";
  parsed.ok = ParseVexaBuildOptions(arguments, parsed.options, parsed.error);
  return parsed;
}

TEST(VexaBuildOptionsTest, ServeTakesThePortItIsGiven) {
  const Parsed parsed = Parse({"serve", "Paint", "--port", "8080"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.options.command, "serve");
  EXPECT_EQ(parsed.options.program_directory, "Paint");
  EXPECT_EQ(parsed.options.port, 8080);
  // Before the program directory as well.
  EXPECT_EQ(Parse({"serve", "--port", "65535", "Paint"}).options.port, 65535);
}

TEST(VexaBuildOptionsTest, ServeRefusesAPortOutsideOneTo65535) {
  for (const char* port : {"0", "65536", "99999999999", "80x", "-1", ""}) {
    const Parsed parsed = Parse({"serve", "Paint", "--port", port});
    EXPECT_FALSE(parsed.ok) << port;
    EXPECT_EQ(parsed.error, "--port needs a port number from 1 to 65535") << port;
  }
  const Parsed missing = Parse({"serve", "Paint", "--port"});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, "--port needs a port number from 1 to 65535");
}

TEST(VexaBuildOptionsTest, EachCommandRefusesTheOtherCommandsOptions) {
  const Parsed build = Parse({"build", "Paint", "--port", "8080"});
  EXPECT_FALSE(build.ok);
  EXPECT_EQ(build.error, "unknown option --port");
  const Parsed serve = Parse({"serve", "Paint", "--company", "Acme"});
  EXPECT_FALSE(serve.ok);
  EXPECT_EQ(serve.error, "--company is an option of build; serve takes only --port");
}

}  // namespace
