// COM names that stand for ports on servers: their addresses
// ("rfc2217://host:port" for an RFC 2217 server such as ser2net's Telnet
// port, "tcp://host:port" for raw TCP), defined and removed through the
// system (DefineDosDevice, QueryDosDevice), which keeps them beside the
// other ports' names so that both panels list them and they are remembered.
#pragma once

#include <windows.h>

#include <string>

enum class NetworkProtocol { Rfc2217, RawTcp };

// The address in the form the system keeps: the scheme in lower case, an
// IPv6 host in brackets. Empty when Host is empty or holds blanks, or Port
// is not 1 to 65535.
std::string NetworkAddress(NetworkProtocol Protocol, const std::string& Host, int Port);
// A typed address ("RFC2217://pi:2000/", "tcp://[::1]:4000") in that form;
// empty when it is none.
std::string NetworkAddressOf(const std::string& Text);

// The address COM<Number> stands for; empty when it is no network port.
std::string NetworkAddressOfPort(int Number);
// The lowest COM number that names nothing and is held for no device that
// is away; 0 when all are taken.
int LowestFreePortNumber();
// Whether COM<Number> names something or is held for a device.
bool PortNumberTaken(int Number);

// Makes COM<Number> stand for Address; ERROR_SUCCESS or the system's error
// (ERROR_ALREADY_EXISTS when the name is taken).
DWORD DefineNetworkPort(int Number, const std::string& Address);
// Takes the name from the network port it stands for.
DWORD RemoveNetworkPort(int Number);
// The COM number that stands for Address, defining the lowest free one
// when none does yet; 0 with the error when that fails.
int NetworkPortNumber(const std::string& Address, DWORD& Error);
