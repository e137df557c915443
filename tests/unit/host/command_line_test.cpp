// Splitting the command line into arguments, and ASCII-only lower-casing.
#include <gtest/gtest.h>

#include "host/command_line.h"

namespace nimbra {
namespace {

TEST(CommandLineArgument, ArgumentZeroIsTheProgramPathWithoutItsQuotes) {
  std::string line = "\"C:\\Program Files\\Nimbra\\nimbra-pack-update.exe\" modest";
  EXPECT_EQ(CommandLineArgument(line, 0), "C:\\Program Files\\Nimbra\\nimbra-pack-update.exe");
  EXPECT_EQ(CommandLineArgument(line, 1), "modest");
}

TEST(CommandLineArgument, CountsArgumentsAfterAnUnquotedProgramPath) {
  std::string line = "C:\\u.exe modest runapp";
  EXPECT_EQ(CommandLineArgument(line, 0), "C:\\u.exe");
  EXPECT_EQ(CommandLineArgument(line, 1), "modest");
  EXPECT_EQ(CommandLineArgument(line, 2), "runapp");
  EXPECT_EQ(CommandLineArgument(line, 3), "");
}

TEST(CommandLineArgument, BlanksAndControlCharactersSeparate) {
  std::string line = "  u.exe \t modest\x01runapp\r\nthird\x1F";
  EXPECT_EQ(CommandLineArgument(line, 0), "u.exe");
  EXPECT_EQ(CommandLineArgument(line, 1), "modest");
  EXPECT_EQ(CommandLineArgument(line, 2), "runapp");
  EXPECT_EQ(CommandLineArgument(line, 3), "third");
  EXPECT_EQ(CommandLineArgument(line, 4), "");
}

TEST(CommandLineArgument, QuotationMarksGroupAndAreDropped) {
  EXPECT_EQ(CommandLineArgument("u.exe \"mo dest\" runapp", 1), "mo dest");
  EXPECT_EQ(CommandLineArgument("u.exe mo\"d e\"st runapp", 1), "mod est");
  EXPECT_EQ(CommandLineArgument("u.exe mo\"d e\"st runapp", 2), "runapp");
  EXPECT_EQ(CommandLineArgument("u.exe \"modest\"\"runapp\"", 1), "modestrunapp");
  EXPECT_EQ(CommandLineArgument("u.exe \"a\tb\x01\"", 1), "a\tb\x01");
}

TEST(CommandLineArgument, AnEmptyPairOfQuotationMarksIsAnEmptyArgument) {
  EXPECT_EQ(CommandLineArgument("u.exe \"\" runapp", 1), "");
  EXPECT_EQ(CommandLineArgument("u.exe \"\" runapp", 2), "runapp");
}

TEST(CommandLineArgument, AnUnclosedGroupRunsToTheEnd) {
  EXPECT_EQ(CommandLineArgument("u.exe \"modest runapp", 1), "modest runapp");
  EXPECT_EQ(CommandLineArgument("u.exe \"modest runapp", 2), "");
}

TEST(CommandLineArgument, HighBytesAndDelAreNotSeparators) {
  EXPECT_EQ(CommandLineArgument("u.exe a\xA0" "b c\x7F" "d", 1), "a\xA0" "b");
  EXPECT_EQ(CommandLineArgument("u.exe a\xA0" "b c\x7F" "d", 2), "c\x7F" "d");
}

TEST(CommandLineArgument, ANulEndsTheCommandLine) {
  EXPECT_EQ(CommandLineArgument(std::string_view("u.exe\0modest", 12), 1), "");
  EXPECT_EQ(CommandLineArgument(std::string_view("u.exe mo\0dest", 13), 1), "mo");
}

TEST(CommandLineArgument, MissingArgumentsAreEmpty) {
  EXPECT_EQ(CommandLineArgument("", 0), "");
  EXPECT_EQ(CommandLineArgument("   ", 0), "");
  EXPECT_EQ(CommandLineArgument("\"C:\\u.exe\"", 1), "");
  EXPECT_EQ(CommandLineArgument("\"C:\\u.exe\"   ", 1), "");
  EXPECT_EQ(CommandLineArgument("u.exe modest", -1), "");
}

TEST(ToLowerAscii, LowersOnlyAToZ) {
  EXPECT_EQ(ToLowerAscii("MODEST"), "modest");
  EXPECT_EQ(ToLowerAscii("RunApp"), "runapp");
  EXPECT_EQ(ToLowerAscii("@AZ[`az{"), "@az[`az{");
  // Windows-1251 capitals stay: 0xCC is 'М', 0xC0 'А', 0xDF 'Я'.
  EXPECT_EQ(ToLowerAscii("\xCC\xC0\xDF" "MODEST"), "\xCC\xC0\xDF" "modest");
}

}  // namespace
}  // namespace nimbra
