// What the loader asks the user about a page, and what it tells the page.
#include <gtest/gtest.h>

#include "loader_texts.h"

namespace {

TEST(LoaderTexts, TheQuestionsNameTheSiteAndThePublisher) {
  EXPECT_EQ(SiteQuestion("https://www.acme.example"),
            "A page of the site https://www.acme.example asks to install a program on this computer.\n\nDo you want "
            "to download its setup script? Nothing is installed before its signature is checked and you are asked "
            "again.");
  EXPECT_EQ(PublisherQuestion("https://www.acme.example", "Acme Software Ltd"),
            "The setup script from https://www.acme.example is signed by Acme Software Ltd.\n\nDo you want to "
            "install the program it describes? Answer Yes only if you trust Acme Software Ltd.");
}

// A certificate's name is the publisher's own text: it cannot break the question's lines
// or push its end out of the box.
TEST(LoaderTexts, APublishersNameIsShownAsOneBoundedLine) {
  EXPECT_EQ(ShownPublisher("Acme\r\n\nYes is safe\t\x7F"), "Acme   Yes is safe  ");
  EXPECT_EQ(ShownPublisher(""), "(no name)");
  EXPECT_EQ(ShownPublisher(std::string(128, 'a')), std::string(128, 'a'));
  EXPECT_EQ(ShownPublisher(std::string(5000, 'a')), std::string(128, 'a') + "...");
  EXPECT_EQ(PublisherQuestion("https://s", "A\nB").find('\n'), PublisherQuestion("https://s", "A B").find('\n'));
}

TEST(LoaderTexts, APageLearnsWhatFailedButNoPathOrOtherServersAnswer) {
  struct Case {
    const char* message;
    int status;
    const char* told;
  };
  const Case cases[] = {
      {"", 0, ""},
      {"", 3010, ""},
      {"Installation cancelled. What was downloaded is kept for the next run.", 1602, "Installation cancelled."},
      {"Error. Cannot download http://cdn.other.example/AcmeCtl.cab: the server answers 404 Not Found", 1603,
       "Error. A file of the installation cannot be downloaded."},
      {"Error. Cannot download https://www.acme.example/Prog1.cab: the file C:\\Users\\ann\\AppData\\Local\\x.partial "
       "cannot be written (is the disk full?)",
       1603, "Error. A file of the installation cannot be downloaded."},
      {"Error. The file downloaded from http://cdn.other.example/AcmeCtl.cab is not the one published (its signature "
       "differs). It was deleted; nothing was installed from it.",
       1603, "Error. A downloaded file is not the one published; nothing was installed from it."},
      {"Error. The part list https://www.acme.example/Prog1_parts.txt is damaged: line 3.", 1603,
       "Error. The part list of the program cabinet is damaged."},
      {"Error. Cannot install OCX AcmeCtl.ocx", 1603,
       "Error. A shared component cannot be installed on this computer."},
      {"Script Error. Line 4 of the web script has too few arguments.", 1603, "Error. The web script is not valid."},
      {"", 1603, "Error. The program's setup ended with exit status 1603."},
      {"Error. Cannot create C:\\Users\\ann\\AppData\\Local\\Temp\\~ts1\\sub\\", 1603,
       "Error. The installation failed on this computer."},
      {"Error. Cannot create the download cache in C:\\Users\\ann\\AppData\\Local\\", 1603,
       "Error. The installation failed on this computer."},
  };
  for (const Case& c : cases) {
    const std::string told = PageResultOfRun(c.message, c.status);
    EXPECT_EQ(told, c.told) << c.message;
    EXPECT_EQ(told.find(":\\"), std::string::npos) << told;
    EXPECT_EQ(told.find("other.example"), std::string::npos) << told;
  }
}

}  // namespace
