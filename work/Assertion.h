// The program's assertion for programming errors, on the C runtime's
// _assert. The source name and line are given by the caller, so that a
// report names the module and line that the program documents, not wherever
// the code happens to stand:
//   ASSERT_AT(szBuffer, "cxComm", 276)
// prints "Assertion failed: szBuffer, file cxComm, line 276" to standard
// error and ends the process.
#pragma once

#include <windows.h>

#include <assert.h>

#define ASSERT_AT(expression, source, line) ((expression) ? (void)0 : _assert(#expression, source, line))
