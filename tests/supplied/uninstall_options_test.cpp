#include "uninstall_options.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
  bool ok;
  UninstallOptions options;
  std::string error;
};

Parsed Parse(const std::vector<std::string>& arguments) {
  Parsed parsed{};
  parsed.options.log_file = "poison";
  parsed.ok = ParseUninstallOptions(arguments, parsed.options, parsed.error);
  return parsed;
}

TEST(UninstallOptionsTest, SilentAndLogInAnyCaseWithEitherPrefix) {
  const Parsed none = Parse({});
  EXPECT_TRUE(none.ok);
  EXPECT_FALSE(none.options.silent);
  EXPECT_EQ(none.options.log_file, "");
  EXPECT_FALSE(none.options.is_copy);

  const Parsed both = Parse({"-s", "/log=C:\\Logs\\un install.log"});
  EXPECT_TRUE(both.ok) << both.error;
  EXPECT_TRUE(both.options.silent);
  EXPECT_EQ(both.options.log_file, "C:\\Logs\\un install.log");
}

TEST(UninstallOptionsTest, TheCopysSwitchesGoTogether) {
  const Parsed copy = Parse({"/CLEANUP=1234", "/ORIGINAL=C:\\Acme\\Uninstall\\Uninstall.EXE", "/LOG=x"});
  ASSERT_TRUE(copy.ok) << copy.error;
  EXPECT_TRUE(copy.options.is_copy);
  EXPECT_EQ(copy.options.original_process, 1234u);
  EXPECT_EQ(copy.options.original_program, "C:\\Acme\\Uninstall\\Uninstall.EXE");
  EXPECT_EQ(copy.options.status_pipe, 0u);
  const Parsed waited_for = Parse({"/CLEANUP=1234", "/ORIGINAL=C:\\x", "/STATUS=88"});
  ASSERT_TRUE(waited_for.ok) << waited_for.error;
  EXPECT_EQ(waited_for.options.status_pipe, 88u);

  EXPECT_EQ(Parse({"/CLEANUP=12"}).error, "The options /CLEANUP= and /ORIGINAL= go together.");
  EXPECT_EQ(Parse({"/ORIGINAL=C:\\x"}).error, "The options /CLEANUP= and /ORIGINAL= go together.");
  EXPECT_EQ(Parse({"/CLEANUP=12x", "/ORIGINAL=C:\\x"}).error, "The option /CLEANUP= needs a decimal number: /CLEANUP=12x");
  EXPECT_EQ(Parse({"/CLEANUP=99999999999999999999", "/ORIGINAL=C:\\x"}).error,
            "The option /CLEANUP= needs a decimal number: /CLEANUP=99999999999999999999");
  EXPECT_EQ(Parse({"/STATUS=4"}).error, "The option /STATUS= belongs to /CLEANUP= and /ORIGINAL=.");
  EXPECT_EQ(Parse({"/CLEANUP=1", "/ORIGINAL=C:\\x", "/STATUS=-4"}).error,
            "The option /STATUS= needs a decimal number: /STATUS=-4");
}

TEST(UninstallOptionsTest, UnknownRepeatedOrEmptySwitchesAreRefused) {
  EXPECT_EQ(Parse({"/D=C:\\x"}).error, "Unknown command-line option: /D=C:\\x\r\nUsage: Uninstall.exe [/S] [/LOG=<file>]");
  EXPECT_EQ(Parse({"extra"}).error, "Unknown command-line option: extra\r\nUsage: Uninstall.exe [/S] [/LOG=<file>]");
  EXPECT_EQ(Parse({"/S", "-S"}).error, "The option /S is given more than once.");
  EXPECT_EQ(Parse({"/LOG=a", "/log=b"}).error, "The option /log= is given more than once.");
  EXPECT_EQ(Parse({"/LOG="}).error, "The option /LOG= needs a value.");
  EXPECT_FALSE(Parse({"/LOG="}).ok);
}

}  // namespace
