// What the log-appending helper program writes, shared with its test.
#pragma once

constexpr unsigned short kHelperYear = 2061;
constexpr unsigned short kHelperMonth = 7;
// A multiple of 16: every dump line of a record is full.
constexpr unsigned kHelperPayloadLength = 1024;
