#include "ReceivedFiles.h"

#include <cctype>

namespace {

// The longest file name most file systems hold, in bytes.
constexpr size_t kLongestName = 255;
constexpr int kMostNumbers = 9999;

std::string Upper(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return Text;
}

bool IsDeviceName(const std::string& Name) {
  // The part before the first dot, without trailing blanks, is what Windows
  // takes for a device.
  std::string stem = Upper(Name.substr(0, Name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
         stem[3] <= '9';
}

// Each entry of a folder but "." and "..".
template <class Each>
void ForEachEntry(const std::string& Folder, Each each) {
  WIN32_FIND_DATAA data;
  const HANDLE listing = FindFirstFileA((Folder + "/*").c_str(), &data);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") each(name, data);
  } while (FindNextFileA(listing, &data));
  FindClose(listing);
}

}  // namespace

std::string NameRefusal(const std::string& Name) {
  if (Name.empty() || Name == "." || Name == "..") return "not a file name";
  if (Name.size() > kLongestName) return "longer than a file name may be";
  for (const char c : Name) {
    if (c == '/' || c == '\\') return "it names a folder";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "it holds control characters";
  }
  if (IsDeviceName(Name)) return "a device's name";
  return std::string();
}

std::string NumberedName(const std::string& Name, int Number) {
  const size_t dot = Name.rfind('.');
  const size_t stemEnd = dot == std::string::npos || dot == 0 ? Name.size() : dot;
  return Name.substr(0, stemEnd) + " (" + std::to_string(Number) + ")" + Name.substr(stemEnd);
}

TakenFiles TakeReceivedFiles(const std::string& Private, const std::string& Folder) {
  TakenFiles taken;
  ForEachEntry(Private, [&](const std::string& name, const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return;
    if (!NameRefusal(name).empty()) {
      taken.Refused.push_back(name);
      return;
    }
    const std::string from = Private + "/" + name;
    for (int number = 0; number <= kMostNumbers; ++number) {
      const std::string to = Folder + "/" + (number == 0 ? name : NumberedName(name, number));
      // Never replaces: a file that appears there meanwhile is kept too.
      if (MoveFileExA(from.c_str(), to.c_str(), 0)) {
        taken.Placed.push_back(to);
        return;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    if (taken.Error == ERROR_SUCCESS) taken.Error = GetLastError();
  });
  RemovePrivateFolder(Private);
  return taken;
}

void RemovePrivateFolder(const std::string& Private) {
  ForEachEntry(Private, [&](const std::string& name, const WIN32_FIND_DATAA& data) {
    const std::string path = Private + "/" + name;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      RemovePrivateFolder(path);
    else
      DeleteFileA(path.c_str());
  });
  RemoveDirectoryA(Private.c_str());
}
