// TOpenDialog, TSaveDialog and TFontDialog, shown by the dialog presenter in
// use.
#include <QFileInfo>

#include <string>

#include "dialog_service.h"
#include "toolkit/dialogs.h"

namespace {

// The extension ("pcapng") of the choice's first pattern when it is one
// plain "*.ext"; empty for "*", "*.*", "*.tx?" and a choice that is not
// there.
std::string ChoiceExtension(const std::string& filter, int index) {
  size_t at = 0;
  for (int part = 1; part < 2 * index; ++part) {
    at = filter.find('|', at);
    if (at == std::string::npos) return "";
    ++at;
  }
  const std::string patterns = filter.substr(at, filter.find('|', at) - at);
  const std::string first = patterns.substr(0, patterns.find(';'));
  if (first.size() < 3 || first.compare(0, 2, "*.") != 0) return "";
  const std::string extension = first.substr(2);
  if (extension.find_first_of("*?. ") != std::string::npos) return "";
  return extension;
}

// Whether the name's last part has an extension (a leading dot, as in
// ".profile", is none).
bool HasExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TComponent(AOwner),
      FileName([this] { return fileName_; }, [this](const String& value) { fileName_ = value; }),
      Filter([this] { return filter_; }, [this](const String& value) { filter_ = value; }),
      Title([this] { return title_; }, [this](const String& value) { title_ = value; }),
      FilterIndex([this] { return filterIndex_; }, [this](const int& value) { filterIndex_ = value; }),
      MultiSelect([this] { return many_; }, [this](const bool& value) { many_ = value; }) {}

bool TOpenDialog::Execute() { return Show(false); }

bool TOpenDialog::Show(bool forSaving) {
  std::vector<String> chosen;
  int index = filterIndex_;
  FileDialogRequest request{title_, fileName_, filter_, forSaving, filterIndex_};
  request.Many = many_ && !forSaving;
  if (!Dialogs().ChooseFile(request, &chosen, &index)) return false;
  files_ = chosen;
  fileName_ = chosen.front();
  filterIndex_ = index;
  return true;
}

bool SelectDirectory(const String& Caption, const String& Root, String& Directory) {
  std::vector<String> chosen;
  int index = 1;
  FileDialogRequest request{Caption, Directory.IsEmpty() ? Root : Directory, String(), false, 1};
  request.Folder = true;
  if (!Dialogs().ChooseFile(request, &chosen, &index)) return false;
  Directory = chosen.front();
  return true;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

bool TSaveDialog::Execute() {
  if (!Show(true)) return false;
  const std::string name = FileName.Get().Utf8();
  const std::string extension = ChoiceExtension(Filter.Get().Utf8(), FilterIndex);
  // A file chosen as it stands (a FIFO, a "Makefile") is written as chosen.
  if (!extension.empty() && !HasExtension(name) && !QFileInfo::exists(QString::fromStdString(name)))
    FileName = String(name + "." + extension);
  return true;
}

TFontDialog::TFontDialog(TComponent* AOwner)
    : TComponent(AOwner),
      FontName([this] { return name_; }, [this](const String& value) { name_ = value; }),
      FontHeight([this] { return height_; }, [this](const int& value) { height_ = value; }),
      Title([this] { return title_; }, [this](const String& value) { title_ = value; }) {}

bool TFontDialog::Execute() { return Dialogs().ChooseFont(title_, name_, height_); }
