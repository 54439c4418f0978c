#include "StartChoicesMade.h"

#include "NetworkPortNames.h"
#include "Unit1.h"

namespace {

// Context names the catalog of a choice that is words (the parity's).
void Choose(TComboBox* Box, const std::optional<std::string>& Choice, const char* Context = nullptr) {
  if (Choice) Box->Text = Context ? TrText(Context, Choice->c_str()) : String(Choice->c_str());
}

// A port on a server is chosen by the COM name that stands for it, made now
// when none does yet.
std::optional<std::string> PortNameOf(const std::optional<std::string>& Choice) {
  const std::string address = Choice ? NetworkAddressOf(*Choice) : std::string();
  if (address.empty()) return Choice;
  DWORD error = ERROR_SUCCESS;
  const int number = NetworkPortNumber(address, error);
  if (number > 0) return "COM" + std::to_string(number);
  ShowMessage(Fill(Tr("NetworkPorts", "不能添加网络端口 %1：错误代码 %2。"),
                   {String(Choice->c_str()), IntToStr(static_cast<int>(error))}));
  return std::nullopt;
}

}  // namespace

void MakeStartChoices(TForm1& Form, const StartChoices& Choices) {
  struct PanelBoxes {
    TComboBox *Port, *Baud, *Parity, *DataBits, *StopBits;
    TButton* OpenClose;
  } const panels[2] = {
      {Form.ComboBox1, Form.ComboBox2, Form.ComboBox5, Form.ComboBox6, Form.ComboBox7, Form.Button1},
      {Form.ComboBox3, Form.ComboBox4, Form.ComboBox8, Form.ComboBox9, Form.ComboBox10, Form.Button6},
  };
  if (Choices.Setup) Form.Setups->Load(Choices.Setup->c_str());
  for (int index = 0; index < 2; ++index) {
    const PanelStartChoices& choice = Choices.Panels[index];
    const PanelBoxes& boxes = panels[index];
    Choose(boxes.Port, PortNameOf(choice.Port));
    Choose(boxes.Baud, choice.Baud);
    Choose(boxes.Parity, choice.Parity, "Parity");
    Choose(boxes.DataBits, choice.DataBits);
    Choose(boxes.StopBits, choice.StopBits);
  }
  if (!Choices.Open) return;
  for (int index = 0; index < 2; ++index)
    if (Choices.Panels[index].Port && panels[index].OpenClose->Caption == Tr("PortPanel", "打开"))
      panels[index].OpenClose->Click();
}
