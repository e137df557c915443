// The pure text rules of the installation location: the folder of an
// "UninstallString", the WOW6432Node twin of a path, the trailing backslash.
#include <gtest/gtest.h>

#include "host/install_location.h"

namespace nimbra {
namespace {

TEST(UninstallStringFolder, PlainPathGivesItsFolder) {
  EXPECT_EQ(UninstallStringFolder("C:\\Apps\\Nimbra\\uninst.exe"), "C:\\Apps\\Nimbra\\");
}

TEST(UninstallStringFolder, ValueEndingWithABackslashGivesTheParent) {
  EXPECT_EQ(UninstallStringFolder("C:\\Apps\\Nimbra\\"), "C:\\Apps\\");
}

TEST(UninstallStringFolder, ValueEndingWithTwoBackslashesKeepsOne) {
  EXPECT_EQ(UninstallStringFolder("C:\\Apps\\Nimbra\\\\"), "C:\\Apps\\Nimbra\\");
}

TEST(UninstallStringFolder, QuotedPathLosesItsQuotationMarks) {
  EXPECT_EQ(UninstallStringFolder("\"C:\\Apps\\Nimbra\\uninst.exe\""), "C:\\Apps\\Nimbra\\");
}

TEST(UninstallStringFolder, ArgumentsAfterAQuotedPathAreDropped) {
  EXPECT_EQ(UninstallStringFolder("\"C:\\Program Files\\Nimbra\\uninst.exe\" /S /log=C:\\Temp\\u.log"),
            "C:\\Program Files\\Nimbra\\");
}

TEST(UninstallStringFolder, QuotedFolderEndingWithABackslashGivesTheParent) {
  EXPECT_EQ(UninstallStringFolder("\"C:\\Apps\\Nimbra\\\" /S"), "C:\\Apps\\");
}

TEST(UninstallStringFolder, UnclosedQuotationMarkTakesTheWholeRest) {
  EXPECT_EQ(UninstallStringFolder("\"C:\\Apps\\Nimbra\\uninst.exe /S"), "C:\\Apps\\Nimbra\\");
}

TEST(UninstallStringFolder, UnquotedValueIsCutAsItStands) {
  EXPECT_EQ(UninstallStringFolder("C:\\Apps\\Nimbra\\uninst.exe /S"), "C:\\Apps\\Nimbra\\");
  EXPECT_EQ(UninstallStringFolder("\\\\server\\share\\uninst.exe"), "\\\\server\\share\\");
}

TEST(UninstallStringFolder, NoBackslashBeforeTheFinalCharacterHasNoFolder) {
  EXPECT_EQ(UninstallStringFolder(""), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("uninst.exe"), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("\\"), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("Nimbra\\"), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("\"\""), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("\""), std::nullopt);
  EXPECT_EQ(UninstallStringFolder("\"uninst.exe\" C:\\Apps\\"), std::nullopt);
}

TEST(UninstallStringFolder, BackslashRightBeforeTheFinalCharacterIsACutPoint) {
  EXPECT_EQ(UninstallStringFolder("C:\\u"), "C:\\");
  EXPECT_EQ(UninstallStringFolder("\\u"), "\\");
}

TEST(Wow6432NodePath, InsertsTheNodeAfterTheFirstBackslash) {
  EXPECT_EQ(Wow6432NodePath("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra"),
            "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbra");
  EXPECT_EQ(Wow6432NodePath("Software\\"), "Software\\WOW6432Node\\");
  EXPECT_EQ(Wow6432NodePath("Software"), "Software");
}

TEST(AddTrailingBackslash, AppendsOnlyWhenMissing) {
  std::string path = "C:\\Apps\\Nimbra";
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\Apps\\Nimbra\\");
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:\\Apps\\Nimbra\\");
}

TEST(AddTrailingBackslash, EmptyPathStaysEmpty) {
  std::string path;
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "");
}

TEST(AddTrailingBackslash, OnlyABackslashCountsAsTheSeparator) {
  std::string path = "C:/Apps/";
  AddTrailingBackslash(path);
  EXPECT_EQ(path, "C:/Apps/\\");
  std::string drive = "C:";
  AddTrailingBackslash(drive);
  EXPECT_EQ(drive, "C:\\");
}

}  // namespace
}  // namespace nimbra
