// Numeric values of the Windows API that the portable core decides on.
// They are fixed by the Windows ABI; keeping them here lets the core and the
// fakes speak Win32 without including <windows.h>.
#pragma once

#include <cstdint>

namespace nimbra::win {

// Last-error codes.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorLockViolation = 33;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorResourceNameNotFound = 1814;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;
inline constexpr std::uint32_t kErrorReadFault = 30;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorCantAccessFile = 1920;

// File attributes.
inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

// Share modes.
inline constexpr std::uint32_t kShareNone = 0;
inline constexpr std::uint32_t kShareRead = 1;
inline constexpr std::uint32_t kShareWrite = 2;
inline constexpr std::uint32_t kShareDelete = 4;
// Keeps no one out: for a look that must neither wait nor get in the way.
inline constexpr std::uint32_t kShareAll = kShareRead | kShareWrite | kShareDelete;

// Registry value types and access rights.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

// Message boxes.
inline constexpr std::uint32_t kMbOk = 0x00000000;
inline constexpr std::uint32_t kMbYesNo = 0x00000004;
inline constexpr std::uint32_t kMbIconError = 0x00000010;
inline constexpr std::uint32_t kMbIconQuestion = 0x00000020;
inline constexpr std::uint32_t kMbIconInformation = 0x00000040;
inline constexpr std::uint32_t kMbTaskModal = 0x00002000;
inline constexpr std::uint32_t kMbTopMost = 0x00040000;
inline constexpr std::uint32_t kMbServiceNotification = 0x00200000;
inline constexpr std::uint32_t kErrorBoxStyle = kMbIconError | kMbServiceNotification;  // 0x200010
inline constexpr std::uint32_t kInformationBoxStyle = kMbOk | kMbIconInformation;  // 0x40
inline constexpr std::uint32_t kQuestionBoxStyle =
    kMbYesNo | kMbIconQuestion | kMbTaskModal | kMbTopMost;  // 0x00042024
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr std::uint16_t kLangRussian = 25;

// Windows messages and show commands.
inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr int kSwShowNormal = 1;

// Process creation.
inline constexpr std::uint32_t kCreateNewConsole = 0x00000010;
inline constexpr std::uint32_t kCreateNewProcessGroup = 0x00000200;

// System metrics.
inline constexpr int kSmTabletPc = 86;
inline constexpr int kSmMediaCenter = 87;
inline constexpr int kSmStarter = 88;
inline constexpr int kSmServerR2 = 89;

// Processor architectures.
inline constexpr std::uint16_t kArchitectureIntel = 0;
inline constexpr std::uint16_t kArchitectureIa64 = 6;
inline constexpr std::uint16_t kArchitectureAmd64 = 9;

// Version record values.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;
inline constexpr std::uint8_t kNtWorkstation = 1;

}  // namespace nimbra::win
