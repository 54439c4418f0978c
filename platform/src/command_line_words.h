// A Windows command line as the words a program's main gets, by the rules
// of the Microsoft C runtime, so that a line made for Windows (its names
// quoted there) starts the same program with the same arguments here.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The first word is the program: up to the next blank, or within quotes
// when it starts with one, taken as it stands. Each later word ends at a
// blank outside quotes; a quote begins or ends quoting ("" within quotes is
// a quote); 2n backslashes before a quote give n backslashes and the quote
// does its work, 2n+1 give n and a quote that is text; other backslashes
// are text.
std::vector<std::string> CommandLineWords(const std::string& line);

}  // namespace platform
