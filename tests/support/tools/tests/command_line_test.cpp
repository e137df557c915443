#include "command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nimbra::tools {
namespace {

// How the started program will see its command line (Windows' own splitting).
std::vector<std::wstring> splitByWindows(const std::string& commandLine) {
  const std::wstring wide(commandLine.begin(), commandLine.end());  // ASCII only in these tests
  int count = 0;
  LPWSTR* parts = CommandLineToArgvW(wide.c_str(), &count);
  std::vector<std::wstring> arguments(parts, parts + count);
  LocalFree(parts);
  return arguments;
}

TEST(CommandLine, PlainWordsStayUnquoted) {
  EXPECT_EQ(joinCommandLine("C:\\Nimbra\\nimbra-pack-update.exe", {"modest", "runapp"}),
            "C:\\Nimbra\\nimbra-pack-update.exe modest runapp");
}

TEST(CommandLine, EmptyAndBlankArgumentsAreQuoted) {
  EXPECT_EQ(quoteArgument(""), "\"\"");
  EXPECT_EQ(quoteArgument("C:\\Program Files\\Nimbra\\"), "\"C:\\Program Files\\Nimbra\\\\\"");
}

TEST(CommandLine, WindowsSplitsTheLineIntoTheSameArguments) {
  const std::vector<std::string> arguments = {"modest", "", "two words", "quote\"inside", "trailing\\",
                                              "C:\\Program Files\\Nimbra\\", "back\\\\\"slash", "tab\there"};
  const std::vector<std::wstring> split = splitByWindows(joinCommandLine("C:\\tools\\program.exe", arguments));
  ASSERT_EQ(split.size(), arguments.size() + 1);
  EXPECT_EQ(split[0], L"C:\\tools\\program.exe");
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    EXPECT_EQ(split[i + 1], std::wstring(arguments[i].begin(), arguments[i].end())) << "argument " << i;
  }
}

}  // namespace
}  // namespace nimbra::tools
