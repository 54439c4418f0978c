// TComboBox and its item list, with the classic combo box's rules: adding
// items never selects one, an index that does not exist selects nothing,
// and selecting nothing or clearing the items empties the edit.
#include <QComboBox>
#include <QLineEdit>

#include "control_data.h"
#include "event_guard.h"
#include "qt_text.h"
#include "toolkit/exceptions.h"
#include "toolkit/std_controls.h"

namespace {

QComboBox* NewComboBox() {
  auto* combo = new QComboBox;
  combo->setEditable(true);
  // Typed text is used as it stands; it never becomes an item.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  return combo;
}

QComboBox* Combo(const TComboBox* box) { return ControlAccess::WidgetAs<QComboBox>(box); }

void SetEditText(QComboBox* combo, const QString& text) {
  if (combo->isEditable()) combo->setEditText(text);
}

void SelectNothing(QComboBox* combo) {
  combo->setCurrentIndex(-1);
  SetEditText(combo, QString());
}

class ComboItems : public TStrings {
 public:
  explicit ComboItems(QComboBox* combo) : combo_(combo) {}

  void Clear() override {
    combo_->clear();
    SelectNothing(combo_);
  }

  void Delete(int Index) override {
    CheckIndex(Index, GetCount());
    bool wasSelected = combo_->currentIndex() == Index;
    QString text = combo_->currentText();
    combo_->removeItem(Index);
    if (wasSelected)
      SelectNothing(combo_);
    else
      SetEditText(combo_, text);
  }

  void Insert(int Index, const String& S) override {
    CheckIndex(Index, GetCount() + 1);
    // Qt selects the first item put into an empty box; the classic box does
    // not, and leaves the edit's text alone.
    int selected = combo_->currentIndex();
    QString text = combo_->currentText();
    combo_->insertItem(Index, ToQString(S));
    if (selected < 0) {
      combo_->setCurrentIndex(-1);
      SetEditText(combo_, text);
    }
  }

 protected:
  String Get(int Index) const override {
    CheckIndex(Index, GetCount());
    return FromQString(combo_->itemText(Index));
  }
  void Put(int Index, const String& S) override {
    CheckIndex(Index, GetCount());
    combo_->setItemText(Index, ToQString(S));
  }
  int GetCount() const override { return combo_->count(); }

 private:
  QComboBox* combo_;
};

}  // namespace

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData(NewComboBox, QPalette::Base, clWindow)),
      Style([this] { return Combo(this)->isEditable() ? csDropDown : csDropDownList; },
            [this](const TComboBoxStyle& value) {
              QComboBox* combo = Combo(this);
              combo->setEditable(value != csDropDownList);
              if (combo->isEditable()) {
                combo->setInsertPolicy(QComboBox::NoInsert);
                combo->setCompleter(nullptr);
              }
            }),
      Text([this] { return FromQString(Combo(this)->currentText()); },
           [this](const String& value) {
             QComboBox* combo = Combo(this);
             if (combo->isEditable()) {
               combo->setEditText(ToQString(value));
             } else {
               // Without an edit, the text can only be that of an item.
               int index = combo->findText(ToQString(value));
               combo->setCurrentIndex(index);
             }
           }),
      Items(new ComboItems(Combo(this))),
      ItemIndex([this] { return Combo(this)->currentIndex(); },
                [this](const int& value) {
                  QComboBox* combo = Combo(this);
                  if (value < 0 || value >= combo->count())
                    SelectNothing(combo);
                  else
                    combo->setCurrentIndex(value);
                }),
      ItemHeight([this] { return itemHeight_; },
                 // Kept for the program; the list draws rows at the font's height.
                 [this](const int& value) { itemHeight_ = value; }) {
  QObject::connect(Combo(this), &QComboBox::currentTextChanged, [this] {
    ShowItemHintOfText();
    CallGuarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  });
}

TComboBox::~TComboBox() { delete Items; }

void TComboBox::Clear() { Items->Clear(); }

namespace {

void CheckItemIndex(const QComboBox* combo, int Index) {
  if (Index < 0 || Index >= combo->count())
    throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
}

}  // namespace

String TComboBox::ItemHint(int Index) const {
  QComboBox* combo = Combo(this);
  CheckItemIndex(combo, Index);
  return FromQString(combo->itemData(Index, Qt::ToolTipRole).toString());
}

void TComboBox::SetItemHint(int Index, const String& Hint) {
  QComboBox* combo = Combo(this);
  CheckItemIndex(combo, Index);
  combo->setItemData(Index, ToQString(Hint), Qt::ToolTipRole);
  ShowItemHintOfText();
}

void TComboBox::ShowItemHintOfText() {
  if (!ControlAccess::Data(this).hint.IsEmpty()) return;
  QComboBox* combo = Combo(this);
  const int item = combo->findText(combo->currentText());
  combo->setToolTip(item < 0 ? QString() : combo->itemData(item, Qt::ToolTipRole).toString());
}
