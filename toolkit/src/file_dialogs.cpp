// TOpenDialog and TSaveDialog, shown by the dialog presenter in use.
#include "dialog_service.h"
#include "toolkit/dialogs.h"

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TComponent(AOwner),
      FileName([this] { return fileName_; }, [this](const String& value) { fileName_ = value; }),
      Filter([this] { return filter_; }, [this](const String& value) { filter_ = value; }),
      Title([this] { return title_; }, [this](const String& value) { title_ = value; }) {}

bool TOpenDialog::Execute() { return Show(false); }

bool TOpenDialog::Show(bool forSaving) {
  String chosen;
  if (!Dialogs().ChooseFile(FileDialogRequest{title_, fileName_, filter_, forSaving}, &chosen)) return false;
  fileName_ = chosen;
  return true;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

bool TSaveDialog::Execute() { return Show(true); }
