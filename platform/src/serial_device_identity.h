// What a serial device is, as udev describes it: an identity that stays the
// same wherever and whenever the device is plugged in, its node, and a
// description for people.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct SerialDevice {
  std::string identity;     // e.g. "usb:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" or "tty:ttyS0"
  std::string node;         // e.g. /dev/ttyUSB0
  std::string description;  // e.g. "FTDI FT232R USB UART · A50285BI"; may be empty
  bool operator==(const SerialDevice&) const = default;
};

// What udev knows of one tty device, gathered by the reader so that the
// rules below can be tried without udev.
struct UdevTtyFacts {
  std::string sysname;                            // ttyUSB0
  std::string devnode;                            // /dev/ttyUSB0
  bool hasDevice = false;                         // backed by hardware (not a virtual console or pty)
  std::optional<std::string> uartType;            // the "type" attribute of serial cores
  std::map<std::string, std::string> properties;  // ID_BUS, ID_VENDOR_ID, ID_SERIAL_SHORT, ...
  std::vector<std::string> devlinks;              // /dev/serial/by-id/..., /dev/serial/by-path/...
};

// The serial device these facts describe, or nothing for a tty that is not
// one: virtual terminals, consoles, pseudo-terminals, and the ttyS ports
// every PC kernel makes whose UART type is 0 (no UART answered).
//
// Identity: a USB device with a serial number is known by its
// /dev/serial/by-id name (or, without that link, by vendor, product, serial
// number and interface), so it keeps its identity in any socket. A USB
// device without a serial number cannot be told from its twins except by
// where it is plugged in, so its identity also holds its socket (ID_PATH),
// as Windows numbers such adapters per socket. Any other device (a platform
// UART) is known by its kernel name.
std::optional<SerialDevice> serialDeviceFromFacts(const UdevTtyFacts& facts);

// The machine's serial devices through libudev, ordered by node with
// trailing numbers compared as numbers (ttyS2 before ttyS10). Two devices
// that would share an identity (twins in one socket path cannot happen, but
// odd firmware can) are told apart by a suffix "#2", "#3" in that order.
std::vector<SerialDevice> listSystemSerialDevices();

// Node order: a trailing number compared as a number.
bool deviceNameBefore(const std::string& left, const std::string& right);

// Gives later holders of an already used identity a suffix "#2", "#3", ...
void makeIdentitiesUnique(std::vector<SerialDevice>& devices);

}  // namespace platform
