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

TEST(SystemLibrary, BothRoutesLoadFromTheSystemFolder) {
  for (const auto load : {&LoadFromSystemFolderBySearchFlag, &LoadFromSystemFolderByPath}) {
    const UniqueModule shell32(load("shell32.dll"));
    ASSERT_TRUE(shell32.valid());
    EXPECT_EQ(folderOf(shell32.get()), systemFolder());
  }
}

TEST(SystemLibrary, DllBesideTheProgramIsNotLoadedByEitherRoute) {
  // The ordinary search order finds it: the planted file is really there.
  const UniqueModule searched(::LoadLibraryA(kPlanted));
  ASSERT_TRUE(searched.valid());
  EXPECT_FALSE(UniqueModule(LoadFromSystemFolderBySearchFlag(kPlanted)).valid());
  EXPECT_FALSE(UniqueModule(LoadFromSystemFolderByPath(kPlanted)).valid());
  const SystemLibrary planted(kPlanted);
  EXPECT_FALSE(planted.loaded());
  EXPECT_EQ(planted.procedure<int()>("plantedMarker"), nullptr);
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
  // version.dll: a system DLL that nothing in this program loads.
  if (::GetModuleHandleA("version.dll") != nullptr) GTEST_SKIP() << "version.dll is loaded already";
  {
    OnDemandLibrary version("version.dll");
    EXPECT_EQ(::GetModuleHandleA("version.dll"), nullptr);
    ASSERT_TRUE(version.get().loaded());
    EXPECT_EQ(::GetModuleHandleA("version.dll"), version.get().module());
  }
  EXPECT_EQ(::GetModuleHandleA("version.dll"), nullptr);
}

}  // namespace
}  // namespace nimbra::win32
