// Where the loader looks for the script cabinet the page names.
#include <gtest/gtest.h>

#include "script_location.h"

namespace {

struct Resolved {
  bool ok;
  ScriptLocation location;
  std::string error;
};

Resolved Resolve(std::string_view script_file, std::string_view page_url) {
  Resolved r{false, {"poison", "poison", "poison"}, "poison"};
  r.ok = ResolveScriptLocation(script_file, page_url, r.location, r.error);
  return r;
}

TEST(ScriptLocation, BareNameIsAFileOfThePagesDirectory) {
  Resolved r = Resolve("MyPageScript.Cab", "http://127.0.0.1:8080/pub/MyPage.htm");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.location.url, "http://127.0.0.1:8080/pub/MyPageScript.Cab");
  EXPECT_EQ(r.location.publication_url, "http://127.0.0.1:8080/pub/");
  EXPECT_EQ(r.location.cabinet_name, "MyPageScript.Cab");

  // The page's query and fragment are not part of its directory, even with slashes in them.
  r = Resolve("S.cab", "https://example.com/a/b/page.htm?from=/x/y#top");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.location.url, "https://example.com/a/b/S.cab");
  // A page at the site's root, with or without its "/".
  EXPECT_EQ(Resolve("S.cab", "http://example.com").location.url, "http://example.com/S.cab");
  EXPECT_EQ(Resolve("S.cab", "http://example.com/").location.url, "http://example.com/S.cab");
}

TEST(ScriptLocation, AbsoluteUrlIsTakenAsItIsWithItsDirectoryAsThePublication) {
  Resolved r = Resolve("http://cdn.example.com/setup/v2/AcmeScript.CAB", "");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.location.url, "http://cdn.example.com/setup/v2/AcmeScript.CAB");
  EXPECT_EQ(r.location.publication_url, "http://cdn.example.com/setup/v2/");
  EXPECT_EQ(r.location.cabinet_name, "AcmeScript.CAB");
  // The page's own address plays no part then.
  EXPECT_EQ(Resolve("https://a.example/S.cab", "http://b.example/p.htm").location.url, "https://a.example/S.cab");
}

TEST(ScriptLocation, RelativeNamesThatLeaveThePagesDirectoryAreRefused) {
  for (const char* name : {"../S.cab", "sub/S.cab", "sub\\S.cab", "C:S.cab", "S.cab?x=1", "..", "."}) {
    Resolved r = Resolve(name, "http://example.com/pub/p.htm");
    EXPECT_FALSE(r.ok) << name;
    EXPECT_EQ(r.error, "Error. The script file " + std::string(name) + " is not a file name of the page's directory.");
  }
}

TEST(ScriptLocation, ARelativeNameNeedsAWebPage) {
  for (const char* page : {"", "file:///C:/pages/p.htm", "about:blank"}) {
    Resolved r = Resolve("S.cab", page);
    EXPECT_FALSE(r.ok) << page;
    EXPECT_EQ(r.error, "Error. The script file S.cab cannot be found: the page's address is unknown.");
  }
}

TEST(ScriptLocation, WhatIsNoScriptCabinetIsRefusedWithItsReason) {
  EXPECT_EQ(Resolve("", "http://e.com/p.htm").error, "Error. The page names no script file (parameter ScriptFile).");
  EXPECT_EQ(Resolve("Script.txt", "http://e.com/p.htm").error,
            "Error. The script file http://e.com/Script.txt is not a cabinet (.cab) file.");
  EXPECT_EQ(Resolve(".cab", "http://e.com/p.htm").error,
            "Error. The script file http://e.com/.cab is not a cabinet (.cab) file.");
  // Blanks, user names and over-long addresses are no web addresses.
  EXPECT_EQ(Resolve("http://e.com/a b/S.cab", "").error,
            "Error. The address of the script file is not a valid web address: http://e.com/a b/S.cab");
  EXPECT_FALSE(Resolve("http://user@e.com/S.cab", "").ok);
  EXPECT_FALSE(Resolve("http://e.com/" + std::string(3000, 'a') + ".cab", "").ok);
  const Resolved r = Resolve("S.cab", "http://e.com/" + std::string(3000, 'a') + "/p.htm");
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.location.url.empty());
}

}  // namespace
