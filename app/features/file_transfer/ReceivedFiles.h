// Files a receiving program wrote into a private folder, taken into the
// folder the user chose under the sender's names: never outside it. A
// name that is empty, "." or "..", holds a folder separator or a control
// character, is longer than a file system takes, or is a device's name
// (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any ending) is
// refused; a file already there is kept and the new one gets a number
// ("name (1).bin"). Only plain files are taken; links and folders are not.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Why a sender's file name cannot be used; empty when it can.
std::string NameRefusal(const std::string& Name);

// The name with " (Number)" before its ending.
std::string NumberedName(const std::string& Name, int Number);

struct TakenFiles {
  std::vector<std::string> Placed;   // where each file went, full names
  std::vector<std::string> Refused;  // names refused, as the sender gave them
  DWORD Error = ERROR_SUCCESS;       // the first move that failed otherwise
};

// Moves every plain file of Private into Folder (on the same file system),
// then removes Private with whatever it still holds.
TakenFiles TakeReceivedFiles(const std::string& Private, const std::string& Folder);

// Removes a folder and the files in it (one level, as a receiver leaves it).
void RemovePrivateFolder(const std::string& Private);
