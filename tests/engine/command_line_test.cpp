#include "command_line.h"

#include <gtest/gtest.h>

namespace {

EngineOptions Parse(const std::vector<std::string>& arguments, std::string* error = nullptr) {
  EngineOptions options;
  options.silent = true;
  options.destination = "poison";
  std::string message = "poison";
  const bool ok = ParseEngineOptions(arguments, options, message);
  if (error) *error = ok ? "" : message;
  EXPECT_EQ(ok, message.empty()) << message;
  return options;
}

TEST(EngineOptionsTest, NoArgumentsIsTheInteractiveDialog) {
  const EngineOptions options = Parse({});
  EXPECT_FALSE(options.silent);
  EXPECT_EQ(options.destination, "");
  EXPECT_EQ(options.log_file, "");
}

TEST(EngineOptionsTest, SwitchesIgnoreCaseAndAcceptDash) {
  const EngineOptions options = Parse({"/s", "-d=D:\\Tools\\Acme Paint", "/Log=C:\\logs\\setup.log"});
  EXPECT_TRUE(options.silent);
  EXPECT_EQ(options.destination, "D:\\Tools\\Acme Paint");
  EXPECT_EQ(options.log_file, "C:\\logs\\setup.log");
}

TEST(EngineOptionsTest, BadArgumentsAreRefusedWithAReason) {
  std::string error;
  Parse({"/X"}, &error);
  EXPECT_EQ(error, "Unknown command-line option: /X\r\nUsage: Setup.exe [/S] [/D=<directory>] [/LOG=<file>]");
  Parse({"/D="}, &error);
  EXPECT_EQ(error, "The option /D= needs a value.");
  Parse({"/D=C:\\a", "/D=C:\\b"}, &error);
  EXPECT_EQ(error, "The option /D= is given more than once.");
  Parse({"/SILENT"}, &error);
  EXPECT_NE(error, "");
}

}  // namespace
