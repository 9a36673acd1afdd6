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

// Only a package key is taken: a web setup appends the publisher's parameters, and a value
// that is not one must neither stop the installation nor reach the uninstall data.
TEST(EngineOptionsTest, WebPackageTakesOnlyAPackageKey) {
  const std::string key = "0123456789abcdef0123456789ABCDEF";
  EngineOptions options = Parse({"-webpackage=" + key, "/S"});
  EXPECT_EQ(options.web_package, key);
  EXPECT_TRUE(options.ignored_arguments.empty());
  options = Parse({"/WEBPACKAGE=" + key.substr(1), "/WEBPACKAGE=..\\..\\x", "/WEBPACKAGE=" + key + "0",
                   "/WEBPACKAGE=0123456789abcdef0123456789abcdeg", "/WEBPACKAGE="});
  EXPECT_EQ(options.web_package, "");
  EXPECT_EQ(options.ignored_arguments.size(), 5u);
  std::string error;
  Parse({"/WEBPACKAGE=" + key, "/WEBPACKAGE=" + key}, &error);
  EXPECT_EQ(error, "The option /WEBPACKAGE= is given more than once.");
}

// The C runtime's rules for splitting a command line into arguments: blanks and tabs
// separate arguments outside double quotes; 2n backslashes before a double quote are n
// backslashes and the quote opens or closes; 2n+1 are n backslashes and a literal quote;
// backslashes before anything else are themselves.
std::vector<std::string> SplitLikeTheRuntime(const std::string& line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i == line.size()) break;
    std::string argument;
    bool quoted = false;
    for (; i < line.size(); ++i) {
      const char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t count = 0;
        while (i < line.size() && line[i] == '\\') ++count, ++i;
        if (i < line.size() && line[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2) argument.push_back('"');
          else quoted = !quoted;
        } else {
          argument.append(count, '\\');
          --i;
        }
        continue;
      }
      if (c == '"') {
        quoted = !quoted;
        continue;
      }
      argument.push_back(c);
    }
    arguments.push_back(argument);
  }
  return arguments;
}

TEST(QuotedArgumentTest, PlainArgumentsStayAsTheyAre) {
  EXPECT_EQ(QuotedArgument("/S"), "/S");
  EXPECT_EQ(QuotedArgument("C:\\Dir\\"), "C:\\Dir\\");
  EXPECT_EQ(QuotedArgument(""), "");
}

TEST(QuotedArgumentTest, TrailingBackslashesAreDoubledInsideQuotes) {
  EXPECT_EQ(QuotedArgument("/D=C:\\My Apps\\"), "\"/D=C:\\My Apps\\\\\"");
  EXPECT_EQ(QuotedArgument("C:\\My Apps\\\\"), "\"C:\\My Apps\\\\\\\\\"");
  EXPECT_EQ(QuotedArgument("tab\there"), "\"tab\there\"");
}

TEST(QuotedArgumentTest, QuotesAreEscapedWithTheBackslashesBeforeThem) {
  EXPECT_EQ(QuotedArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(QuotedArgument("a\\\"b"), "\"a\\\\\\\"b\"");
  EXPECT_EQ(QuotedArgument("\""), "\"\\\"\"");
}

TEST(QuotedArgumentTest, EveryArgumentComesBackWholeAndTheNextStaysApart) {
  const std::vector<std::string> tricky = {"/D=C:\\My Apps\\", "C:\\My Apps\\\\", "\"", "\\\"", "a \\\\\" b",
                                           "\\\\server\\share\\", "end\\", " ", "x\"y", "C:\\x\\\"\\"};
  for (const std::string& argument : tricky) {
    const std::string line = "Setup.exe " + QuotedArgument(argument) + " /LOG=C:\\log.txt";
    EXPECT_EQ(SplitLikeTheRuntime(line), (std::vector<std::string>{"Setup.exe", argument, "/LOG=C:\\log.txt"}))
        << line;
  }
}

}  // namespace
