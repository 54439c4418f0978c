// Network ports from the window: added from the panel's menu (and refused
// when the fields describe none), listed with their address, chosen by the
// command line, removed after asking, opened (a refused server told in the
// open box, a raw port's tool tip saying its settings are the server's).
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "MainWindowTest.h"
#include "NetworkPortNames.h"
#include "NetworkPortWindow.h"
#include "StartChoicesMade.h"
#include "network_servers.h"

namespace {

// A server of the test's that takes connections and holds them: raw TCP.
class Listener {
 public:
  Listener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, 4);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  std::string Address() const { return "tcp://127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  unsigned port_ = 0;
};

class NetworkPorts : public MainWindowTest {
 protected:
  std::string LastDialog() {
    const std::vector<ShownDialog> shown = Dialogs();
    return shown.empty() ? std::string() : shown.back().Text.Utf8();
  }
};

TEST_F(NetworkPorts, AddedFromThePanelsMenuIsChosenAndListedWithItsAddress) {
  CreateWindow();
  TMenuItem* add = MenuItem(form->GroupBox1, "添加网络端口");
  ASSERT_NE(add, nullptr);
  ASSERT_NE(MenuItem(form->ComboBox1, "添加网络端口"), nullptr);
  add->Click();
  NetworkPortWindow* window = FeatureOf<PanelNetworkPorts>(0).Window();
  ASSERT_NE(window, nullptr);
  const String number = window->NumberEdit->Text;
  EXPECT_FALSE(number.IsEmpty());
  window->HostEdit->Text = "::1";
  window->TcpPortEdit->Text = "4000";
  window->ProtocolBox->ItemIndex = 1;
  PressKeyForTesting(window->TcpPortEdit, VK_RETURN);  // Enter adds
  EXPECT_TRUE(Dialogs().empty()) << LastDialog();
  const int added = number.ToIntDef(0);
  EXPECT_EQ(NetworkAddressOfPort(added), "tcp://[::1]:4000");
  EXPECT_EQ(form->ComboBox1->Text.Get(), "COM" + number);

  form->FillPortLists();  // as the device change of the new link does
  const int item = form->ComboBox3->Items->IndexOf("COM" + number);
  ASSERT_GE(item, 0);
  EXPECT_EQ(form->ComboBox3->ItemHint(item).Utf8().rfind("tcp://[::1]:4000", 0), 0u);
  EXPECT_EQ(RemoveNetworkPort(added), DWORD{ERROR_SUCCESS});
}

TEST_F(NetworkPorts, FieldsThatDescribeNoPortAreToldAndNothingIsAdded) {
  CreateWindow();
  FeatureOf<PanelNetworkPorts>(0).ShowWindow();
  NetworkPortWindow& window = *FeatureOf<PanelNetworkPorts>(0).Window();
  ASSERT_EQ(DefineNetworkPort(37, "tcp://h:1"), DWORD{ERROR_SUCCESS});
  const struct {
    const char *host, *port, *number, *says;
  } cases[] = {{"", "2000", "40", "请填写主机"},
               {"pi", "0", "40", "TCP 端口应为 1 至 65535"},
               {"pi", "2000", "1025", "COM 编号应为 1 至 1024"},
               {"a b", "2000", "40", "地址无效"},
               {"pi", "2000", "37", "COM37 已被使用"}};
  for (const auto& c : cases) {
    ClearShownDialogsForTesting();
    window.HostEdit->Text = c.host;
    window.TcpPortEdit->Text = c.port;
    window.NumberEdit->Text = c.number;
    window.Add();
    EXPECT_NE(LastDialog().find(c.says), std::string::npos) << LastDialog();
    EXPECT_EQ(NetworkAddressOfPort(40), "");
  }
  EXPECT_EQ(NetworkAddressOfPort(37), "tcp://h:1");
  RemoveNetworkPort(37);
}

TEST_F(NetworkPorts, RemovedAfterAskingAndOnlyWhenItIsANetworkPort) {
  AddFarEnd(1);
  CreateWindow();
  ASSERT_EQ(DefineNetworkPort(38, "rfc2217://pi:2000"), DWORD{ERROR_SUCCESS});
  TMenuItem* remove = MenuItem(form->ComboBox1, "移除网络端口");
  ASSERT_NE(remove, nullptr);
  form->ComboBox1->Text = "COM1";
  remove->Click();
  EXPECT_NE(LastDialog().find("COM1 不是网络端口"), std::string::npos) << LastDialog();
  form->ComboBox1->Text = "COM38";
  remove->Click();  // the question's default answer is No
  EXPECT_NE(LastDialog().find("rfc2217://pi:2000"), std::string::npos) << LastDialog();
  EXPECT_EQ(NetworkAddressOfPort(38), "rfc2217://pi:2000");
  QueueDialogAnswerForTesting(IDOK);
  remove->Click();
  EXPECT_EQ(NetworkAddressOfPort(38), "");
}

TEST_F(NetworkPorts, ACommandLineAddressIsChosenByTheNameItGetsOnce) {
  CreateWindow();
  StartChoices choices;
  choices.Panels[0].Port = "tcp://127.0.0.1:4001";
  MakeStartChoices(*form, choices);
  const String chosen = form->ComboBox1->Text;
  ASSERT_EQ(chosen.SubString(1, 3), "COM");
  const int number = chosen.SubString(4, chosen.Length() - 3).ToIntDef(0);
  EXPECT_EQ(NetworkAddressOfPort(number), "tcp://127.0.0.1:4001");
  // The same address again is the same name.
  choices.Panels[1].Port = "TCP://127.0.0.1:4001/";
  choices.Panels[0].Port.reset();
  MakeStartChoices(*form, choices);
  EXPECT_EQ(form->ComboBox3->Text.Get(), chosen);
  RemoveNetworkPort(number);
}

TEST_F(NetworkPorts, ARefusedServerIsToldInTheOpenBoxNamingIt) {
  CreateWindow();
  const std::string address = "rfc2217://127.0.0.1:" + std::to_string(serial_lines::FreeLoopbackPort());
  ASSERT_EQ(DefineNetworkPort(39, address), DWORD{ERROR_SUCCESS});
  form->FillPortLists();
  OpenPanel(0, 39);
  EXPECT_EQ(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE);
  EXPECT_NE(LastDialog().find("不能打开 COM39\n" + address + " 拒绝连接"), std::string::npos) << LastDialog();
  RemoveNetworkPort(39);
}

TEST_F(NetworkPorts, ARawPortOpensAndItsToolTipSaysTheSettingsAreTheServers) {
  Listener server;
  CreateWindow();
  ASSERT_EQ(DefineNetworkPort(36, server.Address()), DWORD{ERROR_SUCCESS});
  form->FillPortLists();
  OpenPanel(0, 36);
  ASSERT_NE(form->Channels[0]._hComm.load(), INVALID_HANDLE_VALUE) << LastDialog();
  const std::string hint = FeatureOf<PanelNetworkPorts>(0).Hint().Utf8();
  EXPECT_NE(hint.find(server.Address() + "：原始 TCP 只传数据"), std::string::npos) << hint;
  form->Button1->Click();
  RemoveNetworkPort(36);
}

}  // namespace
