// Files the program writes for the user. Every one goes through a writer
// thread of its own (FileAppender), so the window never waits for a disk:
// whole files saved at once (the shown text, a CSV, a picture, an exported
// list) and files that grow while something runs (a capture, the link
// monitor's record). A failure is told with its own text: the file
// cannot be made, the disk is full, the file took only part of a write, the
// disk does not keep up.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <toolkit/toolkit.h>

#include "FileAppender.h"

// Tells that a file cannot be saved: "不能保存到 <file>" and why on a
// second line.
void TellCannotSave(const String& FileName, DWORD dwError);

// Writes Bytes as the whole of a new file (replacing one of that name) on a
// writer thread and returns at once. ERROR_SUCCESS, or the error that kept
// the file from being made; a failure while writing is told when the writer
// ends (CollectSavedFiles).
DWORD SaveWholeFile(const String& FileName, std::string Bytes);

// Hands over a writer that was given its last bytes: it is kept until it
// has written them. Window thread only.
void RetireFileWriter(std::unique_ptr<FileAppender> Writer, const String& FileName, bool TellFailure);
// Tells whole files whose writing failed, and lets go of writers that have
// ended; each tick of the window.
void CollectSavedFiles();
// Waits for the writers while they write (at exit, or before a saved file
// is read back); one that has written nothing for a while (a pipe nobody
// reads) is left to the ending process.
void EndSavedFiles();
