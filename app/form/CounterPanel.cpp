// The counter panel's tool tip: the port's modem lines, the capture file
// and its size, and a file being sent.
#include "Unit1.h"

String TForm1::CounterHint(int Index) {
  String hint = ModemLinesText(Channels[Index]._hComm, ModemLines[Index]);
  if (Captures[Index].Active())
    hint += "\n保存到 " + Captures[Index].FileName() +
            String().sprintf("（%llu 字节）", static_cast<unsigned long long>(Captures[Index].BytesWritten()));
  if (FileSends[Index].Running()) {
    const ULONGLONG qwSize = FileSends[Index].FileSize();
    hint += "\n发送文件 " + FileSendNames[Index] +
            String().sprintf("（%llu / %llu 字节）", static_cast<unsigned long long>(FileSends[Index].BytesSent()),
                             static_cast<unsigned long long>(qwSize));
  }
  return hint;
}

void TForm1::RefreshCounterHint(int Index) { StatusBar1->Panels->Items[Index + 1]->Hint = CounterHint(Index); }

void TForm1::ShowPanelState(int Index) {
  RefreshCounterHint(Index);
  UpdateMenuItems(Index);
}
