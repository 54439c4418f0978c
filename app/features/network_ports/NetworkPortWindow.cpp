#include "NetworkPortWindow.h"

#include "DialogLayout.h"
#include "NetworkPortNames.h"

namespace {

constexpr int kWidth = 560;
constexpr int kLabelWidth = 110;

// The cause of a refused definition, in words.
String DefineFailure(DWORD Error, int Number) {
  switch (Error) {
    case ERROR_ALREADY_EXISTS:
      return Fill(Tr("NetworkPorts", "COM%1 已被使用：请换一个编号。"), {IntToStr(Number)});
    case ERROR_INVALID_PARAMETER:
      return Tr("NetworkPorts", "地址无效：主机名或地址不能含空格或特殊字符。");
    default:
      return Fill(Tr("NetworkPorts", "错误代码 %1。"), {IntToStr(static_cast<int>(Error))});
  }
}

}  // namespace

NetworkPortWindow::NetworkPortWindow(std::function<void(int Number)> Added)
    : Form(new TForm(nullptr)), _Added(std::move(Added)) {
  DialogLayout layout(Form, Tr("NetworkPorts", "添加网络端口"), kWidth, 172, kLabelWidth);
  HostEdit = layout.Field<TEdit>(8, Tr("NetworkPorts", "主机："));
  HostEdit->Hint = Tr("NetworkPorts", "名字、IPv4 或 IPv6 地址，如 raspberrypi.local、192.168.1.20、fe80::1");
  HostEdit->ShowHint = true;
  TcpPortEdit = layout.Field<TEdit>(38, Tr("NetworkPorts", "TCP 端口："));
  TcpPortEdit->Text = "2000";
  ProtocolBox = layout.Field<TComboBox>(68, Tr("NetworkPorts", "协议："));
  ProtocolBox->Style = csDropDownList;
  ProtocolBox->Items->Add(Tr("NetworkPorts", "RFC 2217（ser2net 的 telnet(rfc2217)，可设置线路）"));
  ProtocolBox->Items->Add(Tr("NetworkPorts", "原始 TCP（只传数据）"));
  ProtocolBox->ItemIndex = 0;
  NumberEdit = layout.Field<TEdit>(98, Tr("NetworkPorts", "COM 编号："));
  layout.AcceptOnEnter([this] { Add(); });

  AddButton = layout.Button(kWidth - 184, 136, 84, Tr("NetworkPorts", "添加"));
  AddButton->OnClick = [this](TObject*) { Add(); };
  CancelButton = layout.Button(kWidth - 92, 136, 84, Tr("NetworkPorts", "取消"));
  CancelButton->OnClick = [this](TObject*) { Form->Close(); };
}

NetworkPortWindow::~NetworkPortWindow() { delete Form; }

void NetworkPortWindow::Show() {
  const int number = LowestFreePortNumber();
  NumberEdit->Text = number > 0 ? IntToStr(number) : String();
  Form->Show();
  HostEdit->SetFocus();
}

void NetworkPortWindow::Add() {
  const AnsiString host(HostEdit->Text.Get().Trim());
  const int tcpPort = TcpPortEdit->Text.Get().Trim().ToIntDef(0);
  const int number = NumberEdit->Text.Get().Trim().ToIntDef(0);
  const NetworkProtocol protocol = ProtocolBox->ItemIndex == 1 ? NetworkProtocol::RawTcp : NetworkProtocol::Rfc2217;
  String problem;
  if (host.IsEmpty())
    problem = Tr("NetworkPorts", "请填写主机：服务器的名字或地址。");
  else if (tcpPort < 1 || tcpPort > 65535)
    problem = Tr("NetworkPorts", "TCP 端口应为 1 至 65535。");
  else if (number < 1 || number > 1024)
    problem = Tr("NetworkPorts", "COM 编号应为 1 至 1024。");
  const std::string address = NetworkAddress(protocol, host.c_str(), tcpPort);
  if (problem.IsEmpty() && address.empty()) problem = DefineFailure(ERROR_INVALID_PARAMETER, number);
  if (problem.IsEmpty()) {
    const DWORD error = DefineNetworkPort(number, address);
    if (error != ERROR_SUCCESS) problem = DefineFailure(error, number);
  }
  if (!problem.IsEmpty()) {
    ShowMessage(Fill(Tr("NetworkPorts", "不能添加网络端口：%1"), {problem}));
    return;
  }
  Form->Close();
  _Added(number);
}
