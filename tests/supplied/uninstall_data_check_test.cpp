#include "uninstall_data_check.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const std::vector<std::string> kSystem = {"C:\\windows", "C:\\windows\\system32", "C:\\windows\\syswow64"};
constexpr std::uint64_t kOwnSize = 546304;

std::string Problem(const Lines& lines, std::int64_t base = kOwnSize) {
  return UninstallDataProblem(lines, base, kOwnSize, kSystem);
}

const Lines kGood = {"Acme Paint", "C:\\Program Files\\Acme Paint\\",
                     "C:\\users\\root\\Start Menu\\Programs\\Acme Paint\\",
                     "C:\\Program Files\\Acme Paint\\Paint.exe",
                     "C:\\users\\root\\Start Menu\\Programs\\Acme Paint\\Acme Paint.LNK",
                     "C:\\Program Files\\Acme Paint\\Uninstall\\Uninstall.EXE"};

TEST(UninstallDataCheckTest, DataAsTheEngineWritesItIsAccepted) {
  EXPECT_EQ(Problem(kGood), "");
  // No program group, nothing installed but the uninstall program, a share.
  EXPECT_EQ(Problem({"Acme", "\\\\server\\apps\\Acme\\", "", "\\\\server\\apps\\Acme\\Uninstall\\Uninstall.EXE"}), "");
  // Well-formed paths outside the two directories are the removal's to pass over.
  EXPECT_EQ(Problem({"Acme", "C:\\Acme\\", "C:\\", "C:\\windows\\win.ini", "C:\\Acme\\..\\other.txt"}), "");
}

// The web setup package line follows the files; a malformed value only loses the cached
// cabinets' removal, never the product's. Anywhere else it is a line that is not a path.
TEST(UninstallDataCheckTest, WebPackageLineAfterTheFilesIsNoFile) {
  Lines data = kGood;
  data.push_back("WebPackage=0123456789abcdef0123456789abcdef");
  EXPECT_EQ(Problem(data), "");
  data.back() = "WebPackage=..\\..\\x.cab";
  EXPECT_EQ(Problem(data), "");
  data.push_back("C:\\Program Files\\Acme Paint\\late.txt");
  EXPECT_EQ(Problem(data),
            "Error. The uninstall data of this program is damaged: line 7 is not a path: WebPackage=..\\..\\x.cab. "
            "Nothing was removed.");
}

TEST(UninstallDataCheckTest, MissingOrMisplacedTrailerIsRefused) {
  EXPECT_EQ(Problem({}, -1), "Error. This uninstall program carries no uninstall data. Nothing was removed.");
  EXPECT_EQ(Problem(kGood, 40000),
            "Error. The uninstall data of this program is damaged: it does not begin where the uninstall program "
            "ends. Nothing was removed.");
}

TEST(UninstallDataCheckTest, ShortDataAndAMissingNameAreRefused) {
  EXPECT_EQ(Problem({"Acme", "C:\\Acme\\"}),
            "Error. The uninstall data of this program is damaged: it has fewer than three lines. Nothing was removed.");
  EXPECT_EQ(Problem({"", "C:\\Acme\\", ""}),
            "Error. The uninstall data of this program is damaged: it names no product. Nothing was removed.");
}

TEST(UninstallDataCheckTest, ProductDirectoryThatIsARootOrHoldsWindowsIsRefused) {
  for (const char* directory : {"C:\\", "c:/", "\\\\server\\share\\", "C:\\Acme\\..\\"}) {
    EXPECT_EQ(Problem({"Acme", directory, ""}), "Error. The uninstall data of this program is damaged: the product "
                                                "directory " + std::string(directory) +
                                                    " is a drive root. Nothing was removed.")
        << directory;
  }
  for (const char* directory : {"C:\\WINDOWS\\", "C:\\windows\\System32", "C:\\Windows\\SysWOW64\\",
                                "C:\\Acme\\..\\windows\\"}) {
    EXPECT_EQ(Problem({"Acme", directory, ""}), "Error. The uninstall data of this program is damaged: the product "
                                                "directory " + std::string(directory) +
                                                    " is a Windows system directory or holds one. Nothing was removed.")
        << directory;
  }
  // Beside the Windows directory is fine.
  EXPECT_EQ(Problem({"Acme", "C:\\windows2\\", ""}), "");
}

TEST(UninstallDataCheckTest, LinesThatAreNotPathsAreRefused) {
  EXPECT_EQ(Problem({"Acme", "Acme\\", ""}),
            "Error. The uninstall data of this program is damaged: the product directory is not a path: Acme\\. "
            "Nothing was removed.");
  EXPECT_EQ(Problem({"Acme", "C:\\Acme\\", "Programs\\Acme"}),
            "Error. The uninstall data of this program is damaged: the program group is not a path: Programs\\Acme. "
            "Nothing was removed.");
  for (const char* line : {"..\\..\\victim.txt", "\\windows\\win.ini", "C:relative.txt", "\\\\?\\C:\\x.txt",
                           "C:\\..\\..\\x.txt", "C:\\Acme\\a*.txt", "C:\\Acme\\file.txt:stream", ""}) {
    EXPECT_EQ(Problem({"Acme", "C:\\Acme\\", "", "C:\\Acme\\A.txt", line}),
              "Error. The uninstall data of this program is damaged: line 5 is not a path: " + std::string(line) +
                  ". Nothing was removed.")
        << line;
  }
}

TEST(UninstallDataCheckTest, ProductNameThatCouldReachOtherKeysIsRefused) {
  for (const char* name : {"Acme\\..\\Other Product", "Other/Product", "..", ".", "Acme:1", "A|B", "Acme\tPaint"}) {
    EXPECT_EQ(Problem({name, "C:\\Acme\\", ""}), "Error. The uninstall data of this program is damaged: the product "
                                                "name " + std::string(name) +
                                                    " holds characters no name may hold. Nothing was removed.")
        << name;
  }
  // Blanks, dots inside and other punctuation are names' own.
  EXPECT_EQ(Problem({"Acme Paint 2.0 (Beta) - Deluxe & Co.", "C:\\Acme\\", ""}), "");
}

const std::string kForeign = "Error. This uninstall program does not belong to the installation its data names: ";

TEST(UninstallDataCheckTest, InstalledProgramInItsRecordedDirectoryIsItsOwn) {
  EXPECT_EQ(UninstallLocationProblem(kGood, "C:\\Program Files\\Acme Paint\\",
                                     "C:\\Program Files\\Acme Paint\\Uninstall\\Uninstall.EXE"),
            "");
  // Case, a missing final separator and "." do not matter; the program's own name does not either.
  EXPECT_EQ(UninstallLocationProblem(kGood, "c:\\program files\\acme paint",
                                     "C:\\PROGRAM FILES\\ACME PAINT\\.\\UNINSTALL\\UNINST~1.EXE"),
            "");
}

TEST(UninstallDataCheckTest, DataNamingADirectoryTheRecordDoesNotIsRefused) {
  const Lines data = {"Other Product", "C:\\users\\Public\\Documents\\", "",
                      "C:\\users\\Public\\Documents\\Reports\\precious.xlsx"};
  const std::string refused = kForeign + "C:\\users\\Public\\Documents\\ is not the directory recorded for Other "
                                         "Product. Nothing was removed.";
  // Another directory recorded, none recorded, and a record that is no path.
  EXPECT_EQ(UninstallLocationProblem(data, "C:\\Program Files\\Other Product\\",
                                     "C:\\users\\Public\\Documents\\Uninstall\\Uninstall.EXE"),
            refused);
  EXPECT_EQ(UninstallLocationProblem(data, "", "C:\\users\\Public\\Documents\\Uninstall\\Uninstall.EXE"), refused);
  EXPECT_EQ(UninstallLocationProblem(data, "Documents\\", "C:\\users\\Public\\Documents\\Uninstall\\Uninstall.EXE"),
            refused);
  // A record below or above the data's directory is not the same directory.
  EXPECT_EQ(UninstallLocationProblem(data, "C:\\users\\Public\\", "C:\\users\\Public\\Documents\\Uninstall\\U.EXE"),
            refused);
}

TEST(UninstallDataCheckTest, ProgramOutsideTheProductsUninstallFolderIsRefused) {
  const std::string recorded = "C:\\Program Files\\Acme Paint\\";
  const std::string refused =
      kForeign + "it is not in C:\\Program Files\\Acme Paint\\Uninstall\\. Nothing was removed.";
  for (const char* program : {"C:\\users\\root\\Temp\\~ts1A2B\\Uninstall.exe", "C:\\Program Files\\Acme Paint\\Uninstall.EXE",
                              "C:\\Program Files\\Acme Paint\\Uninstall\\Sub\\Uninstall.EXE",
                              "C:\\Program Files\\Acme Paint\\Uninstall2\\Uninstall.EXE",
                              "C:\\Program Files\\Acme Paint\\Uninstall\\..\\..\\Other\\Uninstall\\Uninstall.EXE", "Uninstall.EXE", ""}) {
    EXPECT_EQ(UninstallLocationProblem(kGood, recorded, program), refused) << program;
  }
}

}  // namespace
