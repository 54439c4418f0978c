// The window that adds a network port (添加网络端口…): the server's host
// (a name, an IPv4 or an IPv6 address), its TCP port, the protocol (RFC 2217,
// as ser2net's telnet(rfc2217) ports speak it, or raw TCP) and the COM number
// it is to have, the lowest free one to start with. Enter adds, Escape
// closes; every field has a label that names it for a screen reader.
#pragma once

#include <toolkit/toolkit.h>

#include <functional>

class NetworkPortWindow {
 public:
  // Added is told the COM number of each port added.
  explicit NetworkPortWindow(std::function<void(int Number)> Added);
  ~NetworkPortWindow();
  NetworkPortWindow(const NetworkPortWindow&) = delete;
  NetworkPortWindow& operator=(const NetworkPortWindow&) = delete;

  // Shows the window with the lowest free COM number and the focus on the
  // host.
  void Show();
  // Adds the port the fields describe; a message says what is wrong when
  // they describe none, and the window stays.
  void Add();

  TForm* const Form;
  TEdit* HostEdit;
  TEdit* TcpPortEdit;
  TComboBox* ProtocolBox;
  TEdit* NumberEdit;
  TButton* AddButton;
  TButton* CancelButton;

 private:
  std::function<void(int Number)> _Added;
};
