// TStrings and TStringList.
#include <algorithm>

#include "toolkit/exceptions.h"
#include "toolkit/string_lists.h"

TStrings::TStrings()
    : Count([this] { return GetCount(); }),
      Strings([this](int index) { return Get(index); }, [this](int index, const String& s) { Put(index, s); }),
      Text([this] { return GetText(); }, [this](const String& value) { SetText(value); }) {}

int TStrings::Add(const String& S) {
  int index = GetCount();
  Insert(index, S);
  return index;
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (!Strings) return;
  BeginUpdate();
  for (int i = 0, n = Strings->GetCount(); i < n; ++i) Add(Strings->Get(i));
  EndUpdate();
}

void TStrings::Assign(const TStrings* Source) {
  if (Source == this) return;
  BeginUpdate();
  Clear();
  AddStrings(Source);
  EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (Get(i) == S) return i;
  return -1;
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Put(int Index, const String& S) {
  CheckIndex(Index, GetCount());
  BeginUpdate();
  Delete(Index);
  Insert(Index, S);
  EndUpdate();
}

void TStrings::SetUpdateState(bool) {}

void TStrings::CheckIndex(int Index, int Limit) {
  if (Index < 0 || Index >= Limit) throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
}

String TStrings::GetText() const {
  String text;
  for (int i = 0, n = GetCount(); i < n; ++i) text += Get(i) + "\r\n";
  return text;
}

void TStrings::SetText(const String& value) {
  BeginUpdate();
  Clear();
  const std::string& text = value.Utf8();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      Add(String(text.substr(start)));
      break;
    }
    Add(String(text.substr(start, end - start)));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  EndUpdate();
}

void TStringList::Clear() { items_.clear(); }

void TStringList::Delete(int Index) {
  CheckIndex(Index, GetCount());
  items_.erase(items_.begin() + Index);
}

void TStringList::Insert(int Index, const String& S) {
  CheckIndex(Index, GetCount() + 1);
  items_.insert(items_.begin() + Index, S);
}

void TStringList::Sort() { std::stable_sort(items_.begin(), items_.end()); }

String TStringList::Get(int Index) const {
  CheckIndex(Index, GetCount());
  return items_[static_cast<size_t>(Index)];
}

void TStringList::Put(int Index, const String& S) {
  CheckIndex(Index, GetCount());
  items_[static_cast<size_t>(Index)] = S;
}

int TStringList::GetCount() const { return static_cast<int>(items_.size()); }
