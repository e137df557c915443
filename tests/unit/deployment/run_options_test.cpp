// The command-line words of deployment tools: help, quiet and log=PATH.
#include "deployment/run_options.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

struct OptionsCase {
  const char* arguments;  // after the program path
  bool help;
  bool quiet;
  const char* logPath;  // nullptr: none
};

class RunOptionsTable : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(RunOptionsTable, AreReadFromTheCommandLine) {
  const OptionsCase& c = GetParam();
  RunOptions options = ReadRunOptions(CommandLineArguments(std::string("\"C:\\Downloads\\nimbra-pack-update.exe\" ") + c.arguments));
  EXPECT_EQ(options.help, c.help);
  EXPECT_EQ(options.quiet, c.quiet);
  EXPECT_EQ(options.logPath, c.logPath ? std::optional<std::string>(c.logPath) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Words, RunOptionsTable,
    ::testing::Values(OptionsCase{"", false, false, nullptr},
                      OptionsCase{"modest runapp", false, false, nullptr},
                      // quiet needs modest first, and counts from argument 2 on, in any case
                      OptionsCase{"modest quiet", false, true, nullptr},
                      OptionsCase{"MODEST RunApp QUIET", false, true, nullptr},
                      OptionsCase{"modest runapp x quiet", false, true, nullptr},
                      OptionsCase{"quiet", false, false, nullptr},
                      OptionsCase{"quiet modest", false, false, nullptr},
                      OptionsCase{"runapp quiet", false, false, nullptr},
                      OptionsCase{"modest quieter", false, false, nullptr},
                      // help is argument 1 only
                      OptionsCase{"/?", true, false, nullptr}, OptionsCase{"-?", true, false, nullptr},
                      OptionsCase{"/help", true, false, nullptr}, OptionsCase{"/HELP", true, false, nullptr},
                      OptionsCase{"-h", true, false, nullptr}, OptionsCase{"--help", true, false, nullptr},
                      OptionsCase{"modest /?", false, false, nullptr}, OptionsCase{"/h", false, false, nullptr},
                      // log=PATH anywhere, prefix in any case, quotation marks dropped, the first one counts
                      OptionsCase{"log=C:\\Logs\\a.log", false, false, "C:\\Logs\\a.log"},
                      OptionsCase{"modest quiet LOG=C:\\a.log", false, true, "C:\\a.log"},
                      OptionsCase{"modest \"Log=C:\\My Logs\\a.log\" runapp", false, false, "C:\\My Logs\\a.log"},
                      OptionsCase{"modest log=\"C:\\My Logs\\a.log\"", false, false, "C:\\My Logs\\a.log"},
                      OptionsCase{"log=a.log log=b.log", false, false, "a.log"},
                      OptionsCase{"log= log=b.log", false, false, "b.log"},
                      OptionsCase{"logs=a.log", false, false, nullptr},
                      OptionsCase{"/? log=a.log", true, false, "a.log"}));

TEST(LogPathArgument, NeedsThePrefixAndAPath) {
  EXPECT_EQ(LogPathArgument("lOg=x=y"), "x=y");
  EXPECT_EQ(LogPathArgument("log="), std::nullopt);
  EXPECT_EQ(LogPathArgument("log"), std::nullopt);
  EXPECT_EQ(LogPathArgument("xlog=a"), std::nullopt);
}

}  // namespace
}  // namespace nimbra
