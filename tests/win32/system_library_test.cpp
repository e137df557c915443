// DLLs loaded from the system folder only, by either route, and on demand.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

#include "platform/win32/system_library.h"

namespace nimbra::win32 {
namespace {

constexpr const char* kPlanted = "nimbra-planted.dll";

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string folderOf(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(module, path, sizeof path);
  const std::string file(path, length);
  return lowerCase(file.substr(0, file.rfind('\\')));
}

std::string systemFolder() {
  char folder[MAX_PATH] = {};
  return lowerCase(std::string(folder, ::GetSystemDirectoryA(folder, sizeof folder)));
}

TEST(SystemLibrary, BothWaysLoadFromTheSystemFolder) {
  for (const bool withSearchFlags : {true, false}) {
    const UniqueModule shell32(LoadFromSystemFolder("shell32.dll", withSearchFlags));
    ASSERT_TRUE(shell32.valid()) << withSearchFlags;
    EXPECT_EQ(folderOf(shell32.get()), systemFolder());
  }
}

TEST(SystemLibrary, DllBesideTheProgramIsNotLoadedEvenWhenAlreadyLoaded) {
  const SystemLibrary planted(kPlanted);
  EXPECT_FALSE(planted.loaded());
  EXPECT_EQ(planted.procedure<int()>("plantedMarker"), nullptr);
  // The search order finds it (the file is really there); a module of that
  // name already loaded would answer a bare name, but not a full path.
  const UniqueModule searched(::LoadLibraryA(kPlanted));
  ASSERT_TRUE(searched.valid());
  for (const bool withSearchFlags : {true, false})
    EXPECT_FALSE(UniqueModule(LoadFromSystemFolder(kPlanted, withSearchFlags)).valid()) << withSearchFlags;
}

TEST(SystemLibrary, ProcedureIsTypedByTheSdkDeclarationAndNullWhenMissing) {
  const SystemLibrary user32("user32.dll");
  ASSERT_TRUE(user32.loaded());
  auto* metric = user32.procedure<decltype(::GetSystemMetrics)>("GetSystemMetrics");
  ASSERT_NE(metric, nullptr);
  EXPECT_GT(metric(SM_CXSCREEN), 0);
  EXPECT_EQ(user32.procedure<decltype(::GetSystemMetrics)>("NoSuchProcedure"), nullptr);
}

TEST(SystemLibrary, OnDemandLibraryLoadsAtFirstUseAndFreesWithTheObject) {
  // wtsapi32.dll: a system DLL that nothing in this program loads.
  constexpr const char* kName = "wtsapi32.dll";
  if (::GetModuleHandleA(kName) != nullptr) GTEST_SKIP() << kName << " is loaded already";
  {
    OnDemandLibrary library(kName);
    EXPECT_EQ(::GetModuleHandleA(kName), nullptr);
    ASSERT_TRUE(library.get().loaded());
    EXPECT_EQ(::GetModuleHandleA(kName), library.get().module());
  }
  EXPECT_EQ(::GetModuleHandleA(kName), nullptr);
}

}  // namespace
}  // namespace nimbra::win32
