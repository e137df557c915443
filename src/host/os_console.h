// Running a command of the command interpreter hidden and capturing what it
// prints, through a temporary file that the command's output is redirected to.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "host/random.h"
#include "platform/platform.h"

namespace nimbra {

// GetEnvironmentVariableA's buffer for "ComSpec": a longer value does not fit
// and counts as no value.
inline constexpr std::size_t kComSpecBufferSize = 260;
inline constexpr std::size_t kTempNameLength = 8;

// Runs `command` through the interpreter named by "ComSpec" (hidden, in a new
// console and process group) and waits for it without a time-out. Returns its
// output converted from the OEM to the ANSI code page, every line followed by
// CR LF; "" when there is no usable "ComSpec"; "\r\n" when nothing could be
// captured. The output goes to a file of a new random name in "Temp" (the
// current directory when unset), created here and deleted afterwards; no
// other file is touched.
std::string RunConsoleCommand(platform::Platform& platform, RandomGenerator& random, std::string_view command);

// `comSpec /c command > "outputPath"`; an interpreter path with a blank is
// quoted so that CreateProcessA does not try its part before the blank.
std::string ConsoleCommandLine(std::string_view comSpec, std::string_view command, std::string_view outputPath);

// The "Temp" value with a trailing backslash, or "" when it is empty.
std::string TempFolderPrefix(std::string_view temp);

// kTempNameLength letters 'a'..'z', each drawn uniformly.
std::string RandomTempName(RandomGenerator& random);

// Creates a new, empty file folder + RandomTempName() with CREATE_NEW,
// drawing again while the drawn name is taken. nullopt when a file cannot be
// created for another reason.
std::optional<std::string> CreateUniqueTempFile(platform::FileSystem& files, RandomGenerator& random,
                                                std::string_view folder);

}  // namespace nimbra
