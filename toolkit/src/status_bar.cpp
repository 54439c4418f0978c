// TStatusBar: fixed-width panels side by side, docked at the bottom.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include "control_data.h"
#include "qt_text.h"
#include "toolkit/com_controls.h"
#include "toolkit/exceptions.h"

namespace {

QWidget* NewBar() {
  auto* bar = new QWidget;
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(0, 2, 0, 0);
  layout->setSpacing(2);
  layout->addStretch(1);
  return bar;
}

QLabel* NewPanelLabel() {
  auto* label = new QLabel;
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setTextFormat(Qt::PlainText);
  return label;
}

Qt::Alignment ToQtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taCenter:
      return Qt::AlignCenter;
    case taRightJustify:
      return Qt::AlignRight | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

// What a screen reader speaks for a panel: what the panel is, then what it
// shows ("设备1 计数 COM3: S: 10 R: 25").
QString SpokenName(const TStatusPanel& panel) {
  const String name = panel.AccessibleName;
  const String text = panel.Text;
  if (name.IsEmpty() || text.IsEmpty()) return ToQString(name + text);
  return ToQString(name + " " + text);
}

// Rebuilds the bar's labels from its panels.
void ShowPanels(QWidget* bar, const std::vector<TStatusPanel*>& panels) {
  auto* layout = static_cast<QHBoxLayout*>(bar->layout());
  // Labels first, the stretch last.
  while (layout->count() - 1 < static_cast<int>(panels.size()))
    layout->insertWidget(layout->count() - 1, NewPanelLabel());
  while (layout->count() - 1 > static_cast<int>(panels.size())) {
    QLayoutItem* item = layout->takeAt(layout->count() - 2);
    delete item->widget();
    delete item;
  }
  for (size_t i = 0; i < panels.size(); ++i) {
    auto* label = static_cast<QLabel*>(layout->itemAt(static_cast<int>(i))->widget());
    label->setFixedWidth(std::max(0, panels[i]->Width.Get()));
    label->setText(ToQString(panels[i]->Text));
    label->setAlignment(ToQtAlignment(panels[i]->Alignment));
    label->setToolTip(ToQString(panels[i]->Hint));
    label->setAccessibleName(SpokenName(*panels[i]));
  }
}

}  // namespace

TStatusPanel::TStatusPanel(std::function<void()> changed)
    : Width([this] { return width_; },
            [this](const int& value) {
              width_ = value;
              changed_();
            }),
      Text([this] { return text_; },
           [this](const String& value) {
             text_ = value;
             changed_();
           }),
      Alignment([this] { return alignment_; },
                [this](const TAlignment& value) {
                  alignment_ = value;
                  changed_();
                }),
      Hint([this] { return hint_; },
           [this](const String& value) {
             if (value == hint_) return;
             hint_ = value;
             changed_();
           }),
      AccessibleName([this] { return accessibleName_; },
                     [this](const String& value) {
                       accessibleName_ = value;
                       changed_();
                     }),
      changed_(std::move(changed)) {}

TStatusPanels::TStatusPanels(std::function<void()> changed)
    : Count([this] { return static_cast<int>(panels_.size()); }),
      Items([this](int index) {
        if (index < 0 || index >= static_cast<int>(panels_.size()))
          throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
        return panels_[static_cast<size_t>(index)];
      }),
      changed_(std::move(changed)) {}

TStatusPanels::~TStatusPanels() {
  for (TStatusPanel* panel : panels_) delete panel;
}

TStatusPanel* TStatusPanels::Add() {
  panels_.push_back(new TStatusPanel(changed_));
  changed_();
  return panels_.back();
}

void TStatusPanels::Clear() {
  for (TStatusPanel* panel : panels_) delete panel;
  panels_.clear();
  changed_();
}

TStatusPanels* ControlAccess::NewStatusPanels(std::function<void()> changed) {
  return new TStatusPanels(std::move(changed));
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData(NewBar, QPalette::Window, clBtnFace)),
      Panels(ControlAccess::NewStatusPanels(
          [this] { ShowPanels(ControlAccess::Widget(this), ControlAccess::Panels(Panels)); })) {
  // The status bar takes no part in the tab order.
  QWidget* widget = ControlAccess::Widget(this);
  widget->setFocusPolicy(Qt::FocusPolicy(widget->focusPolicy() & ~Qt::TabFocus));
  Height = 19;
  Align = alBottom;
}

TStatusBar::~TStatusBar() { delete Panels; }
