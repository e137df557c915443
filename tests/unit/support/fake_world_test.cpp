// The fakes must behave like Windows where the core relies on it; these pin
// down the rules the other tests stand on.
#include "fake/fake_world.h"

#include <gtest/gtest.h>

#include "platform/codes.h"

namespace nimbra::fake {
namespace {

using platform::FileAccess;
using platform::FileCreation;
using platform::RegistryRoot;

TEST(FakeFileSystem, ShareModesDecideWhetherASecondOpenSucceeds) {
  FakeWorld world;
  world.files.addFile("C:\\Nimbra\\english.lng", "x");
  auto reader = world.files.openFile("c:\\nimbra\\ENGLISH.lng", FileAccess::Read, win::kShareRead,
                                     FileCreation::OpenExisting);
  ASSERT_TRUE(reader.file);
  EXPECT_TRUE(world.files.openFile("C:\\Nimbra\\english.lng", FileAccess::Read, win::kShareRead,
                                   FileCreation::OpenExisting).file);
  auto writer = world.files.openFile("C:\\Nimbra\\english.lng", FileAccess::Write, win::kShareRead,
                                     FileCreation::OpenExisting);
  EXPECT_EQ(writer.error, win::kErrorSharingViolation);
  auto exclusive = world.files.openFile("C:\\Nimbra\\english.lng", FileAccess::Read, win::kShareNone,
                                        FileCreation::OpenExisting);
  EXPECT_EQ(exclusive.error, win::kErrorSharingViolation);
  reader.file.reset();
  EXPECT_EQ(world.files.openFiles(), 0);
}

TEST(FakeFileSystem, HeldFileIsReleasedWhenTheClockPassesTheHold) {
  FakeWorld world;
  world.files.addFile("C:\\Nimbra\\dwix.cok", "dwix&");
  world.files.holdOpen("C:\\Nimbra\\dwix.cok", 512);
  auto open = [&] {
    return world.files.openFile("C:\\Nimbra\\dwix.cok", FileAccess::Read, 0, FileCreation::OpenExisting);
  };
  EXPECT_EQ(open().error, win::kErrorSharingViolation);
  world.clock.sleep(256);
  EXPECT_EQ(open().error, win::kErrorSharingViolation);
  world.clock.sleep(256);
  EXPECT_TRUE(open().file);
}

TEST(FakeFileSystem, CreationRulesFollowWindows) {
  FakeWorld world;
  world.files.addFile("C:\\A\\old.txt", "old", win::kAttributeReadOnly);
  EXPECT_EQ(world.files.openFile("C:\\Missing\\x", FileAccess::Write, 0, FileCreation::CreateAlways).error,
            win::kErrorPathNotFound);
  EXPECT_EQ(world.files.openFile("C:\\A\\old.txt", FileAccess::Write, 0, FileCreation::CreateNew).error,
            win::kErrorFileExists);
  EXPECT_EQ(world.files.openFile("C:\\A\\old.txt", FileAccess::Write, 0, FileCreation::CreateAlways).error,
            win::kErrorAccessDenied);
  EXPECT_EQ(world.files.openFile("C:\\A\\none", FileAccess::Read, 0, FileCreation::OpenExisting).error,
            win::kErrorFileNotFound);
  EXPECT_EQ(world.files.contents("C:\\A\\old.txt"), "old");
}

TEST(FakeFileSystem, FullDiskGivesAShortWriteThenAnError) {
  FakeWorld world;
  world.files.addFolder("C:\\A");
  world.files.freeSpace = 3;
  auto file = world.files.openFile("C:\\A\\f", FileAccess::Write, 0, FileCreation::CreateNew).file;
  std::string data = "hello";
  EXPECT_EQ(file->write(std::as_bytes(std::span(data))), 3u);
  EXPECT_EQ(file->write(std::as_bytes(std::span(data))), std::nullopt);
  EXPECT_EQ(file->error(), win::kErrorDiskFull);
}

TEST(FakeFileSystem, RenameThroughTheFolderMovesTheFileOverTheTargetUnlessTheTargetIsInUse) {
  FakeWorld world;
  world.files.addFile("C:\\A\\new.tmp", "new");
  world.files.addFile("C:\\A\\dwix.cok", "old");
  world.files.holdOpen("C:\\A\\dwix.cok");
  auto folder = world.files.openFolder("C:\\A\\").folder;
  auto file = folder->openFile("new.tmp", platform::FileAccess::Read, 0, platform::FileCreation::OpenExisting).file;
  EXPECT_EQ(file->rename("dwix.cok"), win::kErrorSharingViolation);
  world.files.releaseHold("C:\\A\\dwix.cok");
  EXPECT_EQ(file->rename("dwix.cok"), 0u);
  EXPECT_EQ(world.files.contents("C:\\A\\dwix.cok"), "new");
  EXPECT_FALSE(world.files.exists("C:\\A\\new.tmp"));
}

TEST(FakeFileSystem, FolderListsInCreationOrderAndKnowsItsFullPath) {
  FakeWorld world;
  world.files.addFile("C:\\N\\language\\russian.lng", "r");
  world.files.addFile("C:\\N\\language\\English.LNG", "e", win::kAttributeHidden);
  world.files.addFile("C:\\N\\language\\readme.txt", "t");
  auto folder = world.files.openFolder("C:\\N\\x\\..\\language\\").folder;
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->path(), "C:\\N\\language");
  auto entries = folder->list(2);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "russian.lng");
  EXPECT_EQ(entries[1].name, "English.LNG");
  EXPECT_EQ(entries[1].attributes, win::kAttributeHidden);
  // A name shown as its best fit in the ANSI code page; paths resolve ".." as Windows does.
  world.files.listAs("C:\\N\\language\\readme.txt", "..\\x.lng");
  EXPECT_EQ(folder->list(platform::kListedEntryLimit).back().name, "..\\x.lng");
  EXPECT_EQ(world.files.contents("C:\\N\\language\\..\\language\\.\\russian.lng"), "r");
  EXPECT_EQ(world.files.contents("\\\\S\\share\\..\\..\\x"), world.files.contents("\\\\S\\share\\x"));
  // Through a link on the way, a folder is elsewhere: refused.
  world.files.addFolderLink("C:\\L", "C:\\N");
  world.files.addFolder("C:\\L\\language");
  EXPECT_EQ(world.files.openFolder("C:\\L\\language").error, win::kErrorCantAccessFile);
}

TEST(FakeRegistry, A32BitProgramSeesWow6432NodeUnlessItAsksForThe64BitView) {
  FakeWorld world;
  world.registry.setString(RegistryRoot::LocalMachine, "Software\\WOW6432Node\\Tarvel", "V", "32");
  world.registry.setString(RegistryRoot::LocalMachine, "Software\\Tarvel", "V", "64");
  auto view32 = world.registry.openKey(RegistryRoot::LocalMachine, "Software\\Tarvel", win::kKeyAllAccess);
  auto view64 = world.registry.openKey(RegistryRoot::LocalMachine, "Software\\Tarvel",
                                       win::kKeyAllAccess | win::kKeyWow64_64Key);
  EXPECT_EQ(view32.key->queryValue("v")->data, std::string("32\0", 3));
  EXPECT_EQ(view64.key->queryValue("V")->data, std::string("64\0", 3));
  EXPECT_EQ(world.registry.openKeys(), 2);
  view32.key.reset();
  view64.key.reset();
  EXPECT_EQ(world.registry.openKeys(), 0);
}

TEST(FakeRegistry, OpenFailsOnAMissingKeyAndCreateMakesIt) {
  FakeWorld world;
  EXPECT_EQ(world.registry.openKey(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra", win::kKeyAllAccess).error,
            win::kErrorFileNotFound);
  EXPECT_TRUE(world.registry.createKey(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra", win::kKeyAllAccess).key);
  EXPECT_TRUE(world.registry.keyExists(RegistryRoot::CurrentUser, "software\\tarvel\\nimbra"));
  EXPECT_EQ(world.registry.valueCount(RegistryRoot::CurrentUser, "Software\\Tarvel\\Nimbra"), 0u);
}

TEST(FaultPlan, FailsTheChosenCallOnce) {
  FakeWorld world;
  world.files.addFile("C:\\f", "x");
  world.faults.failNext(Call::FileOpen, win::kErrorAccessDenied, 1);
  auto open = [&] { return world.files.openFile("C:\\f", FileAccess::Read, 1, FileCreation::OpenExisting).error; };
  EXPECT_EQ(open(), 0u);
  EXPECT_EQ(open(), win::kErrorAccessDenied);
  EXPECT_EQ(open(), 0u);
}

}  // namespace
}  // namespace nimbra::fake
