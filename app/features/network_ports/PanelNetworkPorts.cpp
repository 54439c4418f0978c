#include "PanelNetworkPorts.h"

#include <vector>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "NetworkPortNames.h"
#include "NetworkPortWindow.h"

// GetCommProperties' provider bits for the modem lines and breaks.
#ifndef PROV_SPEC_DTR
#define PROV_SPEC_DTR 0x0100
#define PROV_SPEC_RTS 0x0200
#define PROV_SPEC_BREAK 0x0400
#endif

namespace {

// The settings of the bits, in words: "波特率、DTR".
String SettingNames(DWORD Bits) {
  const std::pair<DWORD, const char*> names[] = {{SP_BAUD, TR_MARK("NetworkPorts", "波特率")},
                                                 {SP_DATABITS, TR_MARK("NetworkPorts", "数据位")},
                                                 {SP_PARITY, TR_MARK("NetworkPorts", "校验位")},
                                                 {SP_STOPBITS, TR_MARK("NetworkPorts", "停止位")},
                                                 {SP_HANDSHAKING, TR_MARK("NetworkPorts", "流控制")},
                                                 {PROV_SPEC_DTR, "DTR"},
                                                 {PROV_SPEC_RTS, "RTS"},
                                                 {PROV_SPEC_BREAK, TR_MARK("NetworkPorts", "中断")}};
  String text;
  for (const auto& [bit, name] : names) {
    if (!(Bits & bit)) continue;
    text = text.IsEmpty() ? TrText("NetworkPorts", name)
                          : Fill(Tr("NetworkPorts", "%1、%2"), {text, TrText("NetworkPorts", name)});
  }
  return text;
}

int PortNumberOfText(const String& Text) {
  const std::string text = Text.Trim().Utf8();
  if (text.size() < 4 || (text.compare(0, 3, "COM") != 0 && text.compare(0, 3, "com") != 0)) return 0;
  return String(text.substr(3).c_str()).ToIntDef(0);
}

}  // namespace

PanelNetworkPorts::PanelNetworkPorts(DevicePanel& Panel)
    : PanelFeature(Panel),
      AddItem(NewItem(Panel.Owner, Tr("NetworkPorts", "添加网络端口…"), 0, [this](TObject*) { ShowWindow(); })),
      RemoveItem(NewItem(Panel.Owner, Tr("NetworkPorts", "移除网络端口…"), 0, [this](TObject*) { RemoveChosen(); })),
      PanelAddItem(NewItem(Panel.Owner, Tr("NetworkPorts", "添加网络端口…"), 0, [this](TObject*) { ShowWindow(); })) {
  AddMenuItems(Panel.Owner, Panel.Port, {AddItem, RemoveItem});
  AddMenuItems(Panel.Owner, Panel.Group, {PanelAddItem});
}

PanelNetworkPorts::~PanelNetworkPorts() = default;

void PanelNetworkPorts::ShowWindow() {
  if (!_Window)
    _Window = std::make_unique<NetworkPortWindow>([this](int Number) {
      // The lists take the new name at the device change its link makes;
      // the panel's choice is made now.
      if (!Panel.PortOpen() && Panel.Port->Enabled) Panel.Port->Text = "COM" + IntToStr(Number);
    });
  _Window->Show();
}

void PanelNetworkPorts::RemoveChosen() {
  const String chosen = Panel.Port->Text.Get().Trim();
  const int number = PortNumberOfText(chosen);
  const std::string address = number > 0 ? NetworkAddressOfPort(number) : std::string();
  if (address.empty()) {
    ShowMessage(Fill(Tr("NetworkPorts", "%1 不是网络端口：只有添加的网络端口可以移除。"), {chosen}));
    return;
  }
  if (Panel.PortOpen() && Panel.Channel->_dwPort == static_cast<DWORD>(number)) {
    ShowMessage(Fill(Tr("NetworkPorts", "%1 正在使用：请先关闭它。"), {chosen}));
    return;
  }
  const String question = Fill(Tr("NetworkPorts", "移除网络端口 %1（%2）？"), {chosen, String(address.c_str())});
  if (Application->MessageBox(question, Tr("NetworkPorts", "移除网络端口"), MB_OKCANCEL | MB_DEFBUTTON2) != IDOK)
    return;
  const DWORD error = RemoveNetworkPort(number);
  if (error != ERROR_SUCCESS)
    ShowMessage(Fill(Tr("NetworkPorts", "不能移除 %1：错误代码 %2。"), {chosen, IntToStr(static_cast<int>(error))}));
}

void PanelNetworkPorts::PortOpened() {
  _OpenAddress = NetworkAddressOfPort(static_cast<int>(Panel.Channel->_dwPort.load()));
}

String PanelNetworkPorts::Hint() const {
  const HANDLE hComm = Panel.Channel->_hComm;
  COMMPROP properties{};
  if (hComm == INVALID_HANDLE_VALUE || _OpenAddress.empty() || !GetCommProperties(hComm, &properties)) return String();
  const String address = _OpenAddress.c_str();
  if (properties.dwProvSubType == PST_NETWORK_BRIDGE)
    return Fill(Tr("NetworkPorts", "%1：原始 TCP 只传数据，线路设置和调制解调器线由服务器一端决定"), {address});
  if (properties.dwProvSubType != PST_TCPIP_TELNET) return String();
  if (properties.dwSettableParams == 0)
    return Fill(Tr("NetworkPorts", "%1：服务器不支持 RFC 2217，线路设置未送达"), {address});
  std::vector<String> parts;
  if (properties.dwProvSpec1)
    parts.push_back(Fill(Tr("NetworkPorts", "服务器未确认：%1"), {SettingNames(properties.dwProvSpec1)}));
  if (properties.dwProvSpec2)
    parts.push_back(Fill(Tr("NetworkPorts", "服务器改用了别的值：%1"), {SettingNames(properties.dwProvSpec2)}));
  if (parts.empty()) return Fill(Tr("NetworkPorts", "%1：服务器已确认全部设置"), {address});
  String said = parts[0];
  if (parts.size() > 1) said = Fill(Tr("NetworkPorts", "%1；%2"), {parts[0], parts[1]});
  return Fill(Tr("NetworkPorts", "%1：%2"), {address, said});
}
