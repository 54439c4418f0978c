// Where the log's files go: the folder Log beside the executable while that
// can be written (a build folder or a portable copy), otherwise the user's
// state folder (kestrix/Log/ in it), so that an installed program, whose
// folder only the system may write, still keeps its log.
#pragma once

#include <windows.h>

#include <string>

// Writes the chosen folder, ending in '/', into szFolder (dwSize bytes, a
// MAX_PATH area will do), given the executable's folder and the folder the
// build installs programs into (/usr/bin for the package), both ending in
// '/'. A program in its installed folder never logs beside itself, not even
// when root runs it and could write there. Nothing is created but a probe
// file, gone again at once. False when no folder fits in dwSize.
bool ChooseLogFolder(const char* szExecutableFolder, const char* szInstalledFolder, char* szFolder, DWORD dwSize);

// The folder of a module path, up to and with its last separator: Windows
// gives "C:\\Kestrix\\kestrix.exe" (and accepts '/' too), Linux
// "/usr/bin/kestrix". Empty when the path names no folder.
std::string ModuleFolder(const char* szModulePath);

// Creates the folder with any missing parents; true when it exists after.
bool MakeLogFolder(const char* szFolder);
