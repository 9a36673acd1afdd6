// Where the loader looks for the script cabinet the page names.
#include <gtest/gtest.h>

#include "script_location.h"

namespace {

struct Resolved {
  bool ok;
  ScriptLocation location;
  std::string error;
};

// As a host that runs the control on its own behalf resolves it.
Resolved Resolve(std::string_view script_file, std::string_view page_url) {
  Resolved r{false, {"poison", "poison", "poison", "poison"}, "poison"};
  r.ok = ResolveScriptLocation(script_file, page_url, false, r.location, r.error);
  return r;
}

// As a browser's page resolves it: the host does not trust the page's data.
Resolved ResolveForPage(std::string_view script_file, std::string_view page_url) {
  Resolved r{false, {"poison", "poison", "poison", "poison"}, "poison"};
  r.ok = ResolveScriptLocation(script_file, page_url, true, r.location, r.error);
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

TEST(ScriptLocation, APageMayNameAFileOfItsDirectoryOrAnAddressOfItsOwnOrigin) {
  Resolved r = ResolveForPage("MyPageScript.Cab", "https://www.acme.example/paint/Paint.htm");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.location.url, "https://www.acme.example/paint/MyPageScript.Cab");
  EXPECT_EQ(r.location.site, "https://www.acme.example");

  // Scheme and host compare ignoring case; a port that is the scheme's own may be named.
  for (const char* script : {"https://www.acme.example/other/S.cab", "HTTPS://WWW.Acme.Example/S.cab",
                             "https://www.acme.example:443/S.cab"}) {
    r = ResolveForPage(script, "https://www.acme.example/paint/Paint.htm");
    EXPECT_TRUE(r.ok) << script << ": " << r.error;
    EXPECT_EQ(r.location.url, script);
    EXPECT_EQ(r.location.site, "https://www.acme.example");
  }
  r = ResolveForPage("S.cab", "https://localhost:8443/p.htm");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.location.site, "https://localhost:8443");
}

TEST(ScriptLocation, APageCannotNameAScriptOfAnotherOrigin) {
  const std::string page = "https://www.acme.example/paint/Paint.htm";
  for (const char* script : {"https://evil.example/S.cab", "https://www.acme.example.evil.example/S.cab",
                             "https://www.acme.example:8443/S.cab", "http://www.acme.example/S.cab",
                             "https://acme.example/S.cab", "https://127.0.0.1/S.cab"}) {
    const Resolved r = ResolveForPage(script, page);
    EXPECT_FALSE(r.ok) << script;
    EXPECT_EQ(r.error, "Error. Nothing was downloaded: the script file " + std::string(script) +
                           " is not on the site of the page, https://www.acme.example.");
    EXPECT_TRUE(r.location.url.empty()) << script;
  }
  // Names that would reach elsewhere from the page's directory stay refused as before.
  for (const char* name : {"//evil.example/S.cab", "../S.cab", "\\\\evil\\S.cab"}) {
    EXPECT_FALSE(ResolveForPage(name, page).ok) << name;
  }
}

TEST(ScriptLocation, APageWhoseAddressIsUnknownOrNotSecureGetsNothing) {
  for (const char* page : {"", "about:blank", "file:///C:/pages/p.htm", "https://user@acme.example/p.htm"}) {
    for (const char* script : {"S.cab", "https://www.acme.example/S.cab"}) {
      const Resolved r = ResolveForPage(script, page);
      EXPECT_FALSE(r.ok) << page << " " << script;
      EXPECT_EQ(r.error,
                "Error. Nothing was downloaded: the address of the page is unknown, and the loader installs only "
                "from the site of the page that names it.");
    }
  }
  for (const char* script : {"S.cab", "http://www.acme.example/S.cab", "https://www.acme.example/S.cab"}) {
    const Resolved r = ResolveForPage(script, "http://www.acme.example/p.htm");
    EXPECT_FALSE(r.ok) << script;
    EXPECT_EQ(r.error, "Error. Nothing was downloaded: the page http://www.acme.example/p.htm is not a secure "
                       "(https:) page; the loader installs only for https: pages.");
  }
  // The page's own parameter is still checked first.
  EXPECT_EQ(ResolveForPage("", "").error, "Error. The page names no script file (parameter ScriptFile).");
}

}  // namespace
