// Network ports from a panel: 添加网络端口… in the port list's menu and the
// panel's menu opens the window that adds one (NetworkPortWindow.h);
// 移除网络端口… takes the port list's chosen port away when it is a network
// port. While the panel's port is a network port, the counter panel's tool
// tip says what its server confirmed: the settings it left unanswered or
// set otherwise (RFC 2217), or that a raw TCP port carries bytes only.
#pragma once

#include <memory>
#include <string>

#include "PanelFeature.h"

class NetworkPortWindow;

class PanelNetworkPorts : public PanelFeature {
 public:
  explicit PanelNetworkPorts(DevicePanel& Panel);
  ~PanelNetworkPorts() override;

  void PortOpened() override;
  String Hint() const override;

  // Opens the window that adds a network port; one added is chosen in the
  // panel's port list when the panel's port is closed.
  void ShowWindow();
  // Asks, then removes the port list's chosen port if it is a network port.
  void RemoveChosen();
  NetworkPortWindow* Window() const { return _Window.get(); }

  TMenuItem* const AddItem;
  TMenuItem* const RemoveItem;
  TMenuItem* const PanelAddItem;

 private:
  std::unique_ptr<NetworkPortWindow> _Window;
  std::string _OpenAddress;  // of the open port, when it is a network port
};
