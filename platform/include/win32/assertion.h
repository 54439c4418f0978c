// The C runtime's assertion report, as Windows' runtime declares it in
// <assert.h>: prints "Assertion failed: <message>, file <file>, line <line>"
// to standard error and ends the process. The program's ASSERT_AT
// (work/Assertion.h) stands on it in both builds.
#pragma once

[[noreturn]] void _assert(const char* message, const char* file, unsigned line);
