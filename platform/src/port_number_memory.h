// The COM numbers that serial devices have been given, remembered by device
// identity in a small text file of the user's, so that a device keeps its
// number across unplugging, other devices and restarts.
//
// The file ($XDG_CONFIG_HOME/kestrix/port-numbers) holds one device a line,
// "COM<n> <identity>"; lines starting with '#' are comments. Deleting a line
// forgets that device: it is numbered afresh the next time it is seen.
// Lines that cannot be read, numbers out of range, and a second line for a
// number or an identity already read are ignored, so a damaged file loses
// only its damaged lines.
#pragma once

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>

namespace platform {

// identity -> port number; no number appears twice.
using RememberedNumbers = std::map<std::string, DWORD>;

RememberedNumbers parseRememberedNumbers(const std::string& text);
std::string formatRememberedNumbers(const RememberedNumbers& numbers);

// Reads the file; a missing or unreadable file remembers nothing.
RememberedNumbers readRememberedNumbers(const std::filesystem::path& file);
// Replaces the file as a whole (a temporary file renamed over it), so that
// a crash or a full disk leaves the old file or the new one, never a part.
bool writeRememberedNumbers(const std::filesystem::path& file, const RememberedNumbers& numbers);

// $XDG_CONFIG_HOME/kestrix/port-numbers, or ~/.config/kestrix/port-numbers;
// empty when neither variable names a place.
std::filesystem::path rememberedNumbersFile();

}  // namespace platform
