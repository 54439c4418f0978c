// The received-data message: a channel's block goes to the panel whose
// channel read it: to its features (a capture among them), and to its
// receive area.
#include <memory>

#include "Assertion.h"
#include "Unit1.h"

void TForm1::OnReceiveData(TMessage& Message) {
  ReceivedBlock* pItem = reinterpret_cast<ReceivedBlock*>(Message.LParam);
  ASSERT_AT(pItem, "Unit1", 311);
  const std::unique_ptr<ReceivedBlock> release(pItem);  // on every path
  Panels[PanelOf(*pItem, Message.WParam)]->Received(*pItem);
}

int TForm1::PanelOf(const ReceivedBlock& Block, WPARAM Port) const {
  // A block still on its way when its panel closed, or opened again on
  // another port, still belongs to that panel.
  for (int index = 0; index < 2; ++index)
    if (Block.pChannel == &Channels[index]) return index;
  // A block from elsewhere goes by its port number.
  const auto found = PortToPanel.find(static_cast<int>(Port));
  return found != PortToPanel.end() ? found->second : 0;
}

void TForm1::ShowReceivedText() {
  for (const std::unique_ptr<DevicePanel>& panel : Panels) panel->Receive->ShowNow();
}
