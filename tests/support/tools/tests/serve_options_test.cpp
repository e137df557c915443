#include "nimbra/serve_options.h"

#include <gtest/gtest.h>

namespace nimbra::tools {
namespace {

TEST(ServeOptions, NoArgumentsIsAnOrdinaryStart) {
  EXPECT_FALSE(asksToServe({}));
  EXPECT_FALSE(asksToServe({"C:\\Nimbra\\song.cok"}));
  EXPECT_FALSE(parseServeOptions({}));
}

TEST(ServeOptions, ServeAloneHoldsThePackWithWindowAndMapping) {
  const auto options = parseServeOptions({"--serve"});
  ASSERT_TRUE(options);
  EXPECT_TRUE(options->hold);
  EXPECT_FALSE(options->holdPath);
  EXPECT_TRUE(options->window);
  EXPECT_TRUE(options->mapping);
  EXPECT_EQ(options->quitDelayMs, 0u);
  EXPECT_FALSE(options->logPath);
}

TEST(ServeOptions, EveryOptionIsRead) {
  const auto options = parseServeOptions({"--serve", "--quit-delay-ms", "1500", "--hold", "C:\\x\\dwix.cok",
                                          "--no-window", "--no-mapping", "--lifetime-ms", "9000", "--log",
                                          "C:\\x\\n.log"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->quitDelayMs, 1500u);
  EXPECT_EQ(options->holdPath, "C:\\x\\dwix.cok");
  EXPECT_FALSE(options->window);
  EXPECT_FALSE(options->mapping);
  EXPECT_EQ(options->lifetimeMs, 9000u);
  EXPECT_EQ(options->logPath, "C:\\x\\n.log");
}

TEST(ServeOptions, MalformedCommandLinesAreRefused) {
  EXPECT_FALSE(parseServeOptions({"--serve", "--quit-delay-ms"}));
  EXPECT_FALSE(parseServeOptions({"--serve", "--quit-delay-ms", "12x"}));
  EXPECT_FALSE(parseServeOptions({"--serve", "--quit-delay-ms", "-1"}));
  EXPECT_FALSE(parseServeOptions({"--serve", "--lifetime-ms", "0"}));
  EXPECT_FALSE(parseServeOptions({"--serve", "--unknown"}));
  EXPECT_FALSE(parseServeOptions({"--serve", "--no-hold", "--hold", "C:\\x\\dwix.cok"}));
}

}  // namespace
}  // namespace nimbra::tools
