// The entry format, read from the file bytes the way every lookup reads them.
#include "lang/entry_reader.h"
#include "lang/language_format.h"

#include <gtest/gtest.h>

#include <string>

#include "fake/fake_world.h"
#include "platform/codes.h"

namespace nimbra {
namespace {

using platform::FileAccess;
using platform::FileCreation;

constexpr std::string_view kPath = "C:\\Nimbra\\language\\english.lng";

class EntryReaderTest : public ::testing::Test {
 protected:
  // Reads with several block sizes, so that every rule also holds across
  // block boundaries, and checks that they agree.
  EntryRead read(std::string_view bytes, std::string_view key, EntryExtent extent) {
    world.files.addFile(kPath, bytes);
    EntryRead whole = ReadEntry(world.files, kPath, key, extent);
    for (std::size_t block : {1u, 2u, 3u, 5u, 16u}) {
      EntryRead small = ReadEntry(world.files, kPath, key, extent, block);
      EXPECT_EQ(small.text, whole.text) << "block " << block;
      EXPECT_EQ(small.failed, whole.failed) << "block " << block;
    }
    EXPECT_EQ(world.files.openFiles(), 0);
    return whole;
  }
  std::string text(std::string_view bytes, std::string_view key) {
    return read(bytes, key, EntryExtent::FirstLine).text;
  }
  std::string lines(std::string_view bytes, std::string_view key) {
    return read(bytes, key, EntryExtent::AllLines).text;
  }

  fake::FakeWorld world;
};

TEST_F(EntryReaderTest, FirstLineIsTheLineAfterTheKeyLineUnchanged) {
  std::string file = "[installask]\r\n  Install %2 into %1?  \r\nsecond\r\nthird\r\n\r\n[other]\r\nx\r\n";
  EXPECT_EQ(text(file, "installask"), "  Install %2 into %1?  ");
  EXPECT_EQ(lines(file, "installask"), "  Install %2 into %1?  \r\nsecond\r\nthird");
}

TEST_F(EntryReaderTest, LinesEndAtLfOrCrLfAndALoneCrIsDropped) {
  EXPECT_EQ(lines("[k]\nva\rl\r\nnext\rline\n\nafter", "k"), "val\r\nnextline");
  // The CR of CR CR LF is lone: dropped, and the CR LF ends the line.
  EXPECT_EQ(lines("[k]\r\r\nv\r\r\n\r\r\n", "k"), "v");
}

TEST_F(EntryReaderTest, CtrlZEndsTheFile) {
  EXPECT_EQ(text("[k]\nv\x1A" "more\n", "k"), "v");
  EXPECT_EQ(text("[k]\x1A\nv\n", "k"), "");
  EXPECT_EQ(text("x\n\x1A[k]\nv\n", "k"), "");
  EXPECT_EQ(lines("[k]\na\nb\x1A\nc\n", "k"), "a\r\nb");
}

TEST_F(EntryReaderTest, KeysMatchWithAsciiFoldingAndTrailingTextIgnored) {
  EXPECT_EQ(text("[NoRight]\r\nNo rights\r\n", "noright"), "No rights");
  EXPECT_EQ(text("[LangVer] any note\r\n7\r\n", "langver"), "7");
  EXPECT_EQ(text("[langver]\r\n7\r\n", "LANGVER"), "7");
}

TEST_F(EntryReaderTest, ALineWithAnythingBeforeTheBracketIsNoKeyLine) {
  EXPECT_EQ(text(" [langver]\r\n7\r\n", "langver"), "");
  EXPECT_EQ(text("\t[langver]\r\n7\r\n", "langver"), "");
  EXPECT_EQ(text("x[langver]\r\n7\r\n[langver]\r\n8\r\n", "langver"), "8");
  // A bracket inside a value line starts no entry.
  EXPECT_EQ(text("[a]\r\nsee [b]\r\n\r\n[b]\r\nbee\r\n", "b"), "bee");
}

TEST_F(EntryReaderTest, ACrBeforeTheBracketIsDroppedSoTheLineIsAKeyLine) {
  EXPECT_EQ(text("x\n\r[k]\nv\n", "k"), "v");
  EXPECT_EQ(text("\r\r[k]\nv\n", "k"), "v");
  // A CR after other text joins the two pieces into one line.
  EXPECT_EQ(text("x\r[k]\nv\n", "k"), "");
}

TEST_F(EntryReaderTest, AFirstValueLineOfBlanksIsText) {
  EXPECT_EQ(text("[k]\r\n   \r\nmore\r\n\r\n", "k"), "   ");
  EXPECT_EQ(lines("[k]\r\n   \r\nmore\r\n\r\n", "k"), "   \r\nmore");
}

TEST_F(EntryReaderTest, ABlankLineEndsAMultiLineValue) {
  EXPECT_EQ(lines("[k]\r\na\r\n \t \r\nb\r\n", "k"), "a");
  EXPECT_EQ(lines("[k]\r\na\r\nb", "k"), "a\r\nb");
}

TEST_F(EntryReaderTest, AnEntryWithoutBlankLineRunsOnIntoTheNextEntries) {
  EXPECT_EQ(lines("[a]\r\nx\r\n[b]\r\ny\r\n\r\n[c]\r\nz\r\n", "a"), "x\r\n[b]\r\ny");
  EXPECT_EQ(lines("[a]\r\nx\r\n[b]\r\ny", "a"), "x\r\n[b]\r\ny");
}

TEST_F(EntryReaderTest, AKeyIsAbsentWithoutKeyLineAsLastLineOrWithAnEmptyFirstLine) {
  EXPECT_EQ(read("[a]\r\nx\r\n", "b", EntryExtent::AllLines).text, "");
  EXPECT_EQ(lines("x\r\n[k]", "k"), "");
  EXPECT_EQ(lines("x\r\n[k]\r\n", "k"), "");
  EXPECT_EQ(lines("[k]\r\n\r\nfurther\r\nlines\r\n", "k"), "");
  EXPECT_EQ(lines("", "k"), "");
  EXPECT_FALSE(read("[k]\r\n", "k", EntryExtent::AllLines).failed);
}

TEST_F(EntryReaderTest, OnlyTheFirstKeyLineCounts) {
  EXPECT_EQ(text("[k]\r\none\r\n\r\n[K]\r\ntwo\r\n", "k"), "one");
  EXPECT_EQ(text("[k]\r\n\r\n[k]\r\ntwo\r\n", "k"), "");
}

// No language file makes a text cost more than the cap: a long line keeps its
// first kMaxLineLength bytes, a value of many lines its first kTextLimit, and
// the scan goes on behind them as before. (EXPECT_TRUE: a failure would
// otherwise print the whole text.)
TEST_F(EntryReaderTest, LongLinesAndLongValuesAreCutAtTheLimit) {
  std::string longLine(200000, 'w');
  std::string manyLines;
  for (int i = 0; i < 40000; ++i) manyLines += "ab\r\n";
  world.files.addFile(kPath, std::string(70000, '.') + "\r\n[k]\r\n" + longLine + "\r\n" + longLine +
                                 "\r\n\r\n[m]\r\n" + manyLines + "\r\n[after]\r\nfound\r\n");
  for (std::size_t block : {std::size_t{4096}, LineReader::kBlockSize}) {
    EXPECT_TRUE(ReadEntry(world.files, kPath, "k", EntryExtent::AllLines, block).text == std::string(kTextLimit, 'w'));
    EXPECT_TRUE(ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine, block).text ==
                std::string(LineReader::kMaxLineLength, 'w'));
    EXPECT_EQ(ReadEntry(world.files, kPath, "m", EntryExtent::AllLines, block).text.size(), kTextLimit);
    EXPECT_EQ(ReadEntry(world.files, kPath, "after", EntryExtent::FirstLine, block).text, "found");
  }
}

TEST_F(EntryReaderTest, OpensForReadingWithOtherReadersAllowedOnly) {
  world.files.addFile(kPath, "[k]\r\nv\r\n");
  ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine);
  ASSERT_EQ(world.files.log().size(), 1u);
  EXPECT_EQ(world.files.log()[0], "c:\\nimbra\\language\\english.lng read share=1 open-existing");
}

TEST_F(EntryReaderTest, AFileOpenForWritingElsewhereCannotBeRead) {
  world.files.addFile(kPath, "[k]\r\nv\r\n");
  auto writer = world.files.openFile(kPath, FileAccess::Write, win::kShareRead | win::kShareWrite,
                                     FileCreation::OpenExisting);
  ASSERT_TRUE(writer.file);
  EntryRead read = ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "");
}

TEST_F(EntryReaderTest, AMissingFileFails) {
  EntryRead read = ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "");
}

TEST_F(EntryReaderTest, AReadErrorBeforeTheKeyFailsWithNothing) {
  world.files.addFile(kPath, "[a]\r\nx\r\n\r\n[k]\r\nv\r\n");
  world.faults.failNext(fake::Call::FileRead, 5, /*skip=*/1);
  EntryRead read = ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine, 4);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "");
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST_F(EntryReaderTest, AReadErrorInsideAValueKeepsTheWholeLinesReadBefore) {
  // Blocks of 8: "[k]\r\none" "\r\ntwo\r\nth" then the failing read.
  world.files.addFile(kPath, "[k]\r\none\r\ntwo\r\nthree\r\n\r\n");
  world.faults.failNext(fake::Call::FileRead, 5, /*skip=*/2);
  EntryRead read = ReadEntry(world.files, kPath, "k", EntryExtent::AllLines, 8);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "one\r\ntwo");
}

TEST_F(EntryReaderTest, AReadErrorCuttingTheFirstValueLineYieldsNothing) {
  world.files.addFile(kPath, "[k]\r\nvalue\r\n");
  world.faults.failNext(fake::Call::FileRead, 5, /*skip=*/1);
  EntryRead read = ReadEntry(world.files, kPath, "k", EntryExtent::FirstLine, 7);
  EXPECT_TRUE(read.failed);
  EXPECT_EQ(read.text, "");
}

}  // namespace
}  // namespace nimbra
