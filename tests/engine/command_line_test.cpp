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
  Parse({"/D="}, &error);
  EXPECT_EQ(error, "The option /D= needs a value.");
  Parse({"/D=C:\\a", "/D=C:\\b"}, &error);
  EXPECT_EQ(error, "The option /D= is given more than once.");
}

// A web setup appends the program's own parameters to the command line: they are not the
// engine's and must not stop the installation.
TEST(EngineOptionsTest, ArgumentsNotOursAreIgnoredInOrder) {
  EngineOptions options = Parse({"a,", "b", "/S", "/SILENT", "-x", "", "/D=C:\\Apps", "word"});
  EXPECT_TRUE(options.silent);
  EXPECT_EQ(options.destination, "C:\\Apps");
  EXPECT_EQ(options.ignored_arguments, (std::vector<std::string>{"a,", "b", "/SILENT", "-x", "", "word"}));
  options = Parse({"/S", "/LOG=C:\\setup.log"});
  EXPECT_TRUE(options.ignored_arguments.empty());
}

}  // namespace
