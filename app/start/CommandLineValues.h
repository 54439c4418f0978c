// The values the panel options take, in the forms a user types them,
// turned into the texts the panels' combo boxes hold.
#pragma once

#include <optional>
#include <string>

// "COM1" to "COM1024" in any case, digits without a sign: "COM<n>"; or a
// network port's address, rfc2217://HOST:PORT or tcp://HOST:PORT, in the
// form the system keeps it (NetworkPortNames.h).
std::optional<std::string> PortChoice(const std::string& Value);
// A whole number of bits per second from 50 to 4000000.
std::optional<std::string> BaudChoice(const std::string& Value);
// N, O, E, M, S or none, odd, even, mark, space (any case): the parity
// box's item, such as "E (偶)".
std::optional<std::string> ParityChoice(const std::string& Value);
// 5, 6, 7 or 8.
std::optional<std::string> DataBitsChoice(const std::string& Value);
// 1 or 2.
std::optional<std::string> StopBitsChoice(const std::string& Value);
