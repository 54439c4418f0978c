// Lists of strings: TStrings is the interface (also of a memo's lines and a
// combo box's items), TStringList the plain list. An index outside the list
// raises EStringListError.
#pragma once

#include <vector>

#include "toolkit/classes.h"
#include "toolkit/strings.h"

class TStrings : public TObject {
 public:
  TStrings();

  ReadOnlyProperty<int> Count;
  IndexedProperty<String> Strings;
  // All lines, each ended by CR LF; setting splits at CR LF, CR or LF.
  Property<String> Text;

  String operator[](int Index) const { return Get(Index); }

  // Returns the index of the new string.
  virtual int Add(const String& S);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Insert(int Index, const String& S) = 0;
  void AddStrings(const TStrings* Strings);
  void Assign(const TStrings* Source);
  int IndexOf(const String& S) const;

  // Updates between BeginUpdate and the matching EndUpdate are shown at the
  // end only (calls nest).
  void BeginUpdate();
  void EndUpdate();

 protected:
  virtual String Get(int Index) const = 0;
  virtual void Put(int Index, const String& S);
  virtual int GetCount() const = 0;
  virtual void SetUpdateState(bool Updating);
  // Raises EStringListError unless 0 <= Index < Limit.
  static void CheckIndex(int Index, int Limit);

 private:
  String GetText() const;
  void SetText(const String& value);
  int updateCount_ = 0;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const String& S) override;
  // Ascending by code point; equal strings keep their order.
  void Sort();

 protected:
  String Get(int Index) const override;
  void Put(int Index, const String& S) override;
  int GetCount() const override;

 private:
  std::vector<String> items_;
};
