// The panels' buttons: Open/Close opens or closes a panel's port with the
// line settings its boxes hold; Send sends its edit text, as text (with its
// line ending) or as hexadecimal bytes; Clear empties its receive area.
#include "Unit1.h"

void TForm1::Button1Click(TObject*) { Panels[0]->OpenOrClose(); }
void TForm1::Button6Click(TObject*) { Panels[1]->OpenOrClose(); }

void TForm1::Button2Click(TObject*) { SendData(0); }
void TForm1::Button5Click(TObject*) { SendData(1); }

void TForm1::Button4Click(TObject*) { Panels[0]->Receive->Clear(); }
void TForm1::Button7Click(TObject*) { Panels[1]->Receive->Clear(); }

void TForm1::SendData(int Index) { Panels[Index]->SendTyped(); }
