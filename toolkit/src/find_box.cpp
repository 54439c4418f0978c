// TFindBox: a frame of two rows (the text with previous, next and close;
// the three choices with the status) over the log view it searches.
#include "toolkit/find_box.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "control_data.h"
#include "event_guard.h"
#include "qt_text.h"
#include "toolkit/translation.h"

namespace {

class FindBoxWidget : public QFrame {
 public:
  FindBoxWidget() {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    edit->setAccessibleName(ToQString(Tr("FindBox", "查找内容")));
    previous->setText(QStringLiteral("↑"));
    previous->setAccessibleName(ToQString(Tr("FindBox", "上一个")));
    previous->setToolTip(ToQString(Tr("FindBox", "上一个 (Shift+F3)")));
    next->setText(QStringLiteral("↓"));
    next->setAccessibleName(ToQString(Tr("FindBox", "下一个")));
    next->setToolTip(ToQString(Tr("FindBox", "下一个 (F3)")));
    close->setText(QStringLiteral("×"));
    close->setAccessibleName(ToQString(Tr("FindBox", "关闭查找")));
    close->setToolTip(ToQString(Tr("FindBox", "关闭 (Esc)")));
    matchCase->setText(ToQString(Tr("FindBox", "区分大小写")));
    regex->setText(ToQString(Tr("FindBox", "正则表达式")));
    hex->setText(ToQString(Tr("FindBox", "十六进制")));
    // Room for the longest status from the start, so that a status that
    // comes later never squeezes the choices beside it.
    int room = 0;
    for (const String& text : {Fill(Tr("FindBox", "第 %1 个，共 %2 个"), {"99999", "99999"}),
                               Fill(Tr("FindBox", "查找中 %1%，已有 %2 个"), {"99", "99999"}),
                               Fill(Tr("FindBox", "太慢，已停：前 %1% 有 %2 个"), {"99", "99999"}),
                               Tr("FindBox", "不是十六进制字节"), Tr("FindBox", "表达式无效")})
      room = std::max(room, status->fontMetrics().horizontalAdvance(ToQString(text)));
    status->setMinimumWidth(room);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 3, 4, 3);
    grid->setSpacing(3);
    grid->addWidget(edit, 0, 0, 1, 3);
    grid->addWidget(previous, 0, 3);
    grid->addWidget(next, 0, 4);
    grid->addWidget(close, 0, 5);
    grid->addWidget(matchCase, 1, 0);
    grid->addWidget(regex, 1, 1);
    grid->addWidget(hex, 1, 2);
    grid->addWidget(status, 1, 3, 1, 3);
    setTabOrder(edit, previous);
    setTabOrder(previous, next);
    setTabOrder(next, close);
    setTabOrder(close, matchCase);
    setTabOrder(matchCase, regex);
    setTabOrder(regex, hex);
    edit->installEventFilter(this);
  }

  QLineEdit* const edit = new QLineEdit;
  QToolButton* const previous = new QToolButton;
  QToolButton* const next = new QToolButton;
  QToolButton* const close = new QToolButton;
  QCheckBox* const matchCase = new QCheckBox;
  QCheckBox* const regex = new QCheckBox;
  QCheckBox* const hex = new QCheckBox;
  QLabel* const status = new QLabel;
  std::function<void(bool backward)> findNext;
  std::function<void()> closed;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == edit && event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        findNext(key->modifiers() & Qt::ShiftModifier);
        return true;
      }
    }
    return QFrame::eventFilter(watched, event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_F3) return findNext(event->modifiers() & Qt::ShiftModifier);
    if (event->key() == Qt::Key_Escape) return closed();
    QFrame::keyPressEvent(event);
  }
};

FindBoxWidget* Box(const TFindBox* box) { return ControlAccess::WidgetAs<FindBoxWidget>(box); }

}  // namespace

TFindBox::TFindBox(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new FindBoxWidget; }, QPalette::Window, clBtnFace)),
      Text([this] { return FromQString(Box(this)->edit->text()); },
           [this](const String& value) { Box(this)->edit->setText(ToQString(value)); }),
      MatchCase([this] { return Box(this)->matchCase->isChecked(); },
                [this](const bool& value) { Box(this)->matchCase->setChecked(value); }),
      Regex([this] { return Box(this)->regex->isChecked(); },
            [this](const bool& value) { Box(this)->regex->setChecked(value); }),
      Hex([this] { return Box(this)->hex->isChecked(); },
          [this](const bool& value) { Box(this)->hex->setChecked(value); }) {
  FindBoxWidget* box = Box(this);
  box->hide();
  Visible = false;
  box->findNext = [this](bool backward) { CallGuarded(this, [this, backward] { FindNext(backward); }); };
  box->closed = [this] { CallGuarded(this, [this] { Close(); }); };
  QObject::connect(box->previous, &QToolButton::clicked, [box] { box->findNext(true); });
  QObject::connect(box->next, &QToolButton::clicked, [box] { box->findNext(false); });
  QObject::connect(box->close, &QToolButton::clicked, [box] { box->closed(); });
  const auto search = [this] { CallGuarded(this, [this] { Search(); }); };
  QObject::connect(box->edit, &QLineEdit::textChanged, search);
  QObject::connect(box->matchCase, &QCheckBox::toggled, search);
  QObject::connect(box->regex, &QCheckBox::toggled, search);
  QObject::connect(box->hex, &QCheckBox::toggled, [this, box](bool on) {
    box->matchCase->setEnabled(!on);
    box->regex->setEnabled(!on);
  });
  QObject::connect(box->hex, &QCheckBox::toggled, search);
}

TFindBox::~TFindBox() {
  if (view_) view_->OnFindChange = nullptr;
}

void TFindBox::ShowFor(TLogView* View) {
  if (view_ && view_ != View) view_->OnFindChange = nullptr;
  view_ = View;
  view_->OnFindChange = [this](TObject*) {
    GoToFirst();
    ShowStatus();
  };
  FindBoxWidget* box = Box(this);
  Parent = View->Parent;
  const int width = std::min(View->Width.Get() - 20, std::max(300, box->sizeHint().width()));
  SetBounds(View->Left + View->Width - width - 18, View->Top + 2, width, box->sizeHint().height());
  Anchors = akTop | akRight;  // stays by the corner of a view that grows
  Visible = true;
  box->raise();
  box->edit->setFocus();
  box->edit->selectAll();
  Search();
}

void TFindBox::Close() {
  if (!Visible.Get()) return;
  Visible = false;
  if (view_) {
    view_->OnFindChange = nullptr;
    view_->EndFind();
  }
  if (OnClose) OnClose(this);
}

void TFindBox::Search() {
  if (!view_ || !Visible.Get()) return;
  TFindOptions options;
  options.MatchCase = MatchCase;
  options.Regex = Regex;
  options.Hex = Hex;
  count_ = view_->Find(Text, options);
  goToFirst_ = count_ >= 0;
  GoToFirst();
  ShowStatus();
}

void TFindBox::GoToFirst() {
  if (!goToFirst_ || !view_) return;
  const bool counting = view_->FindCounting();
  if (view_->MatchCount() > 0) {
    view_->Select(view_->TopPosition(), 0);
    if (view_->FindNext()) goToFirst_ = false;
  }
  // Once the count is done, the first match is found or there is none.
  if (!counting) goToFirst_ = false;
}

void TFindBox::FindNext(bool Backward) {
  if (view_ && count_ > 0) view_->FindNext(Backward);
  ShowStatus();
}

void TFindBox::ShowStatus() {
  if (view_ && count_ >= 0) count_ = view_->MatchCount();
  Box(this)->status->setText(ToQString(Status()));
}

String TFindBox::Status() const {
  if (Text.Get().IsEmpty()) return String();
  if (count_ < 0) return Hex ? Tr("FindBox", "不是十六进制字节") : Tr("FindBox", "表达式无效");
  const auto number = [](long long value) { return String().sprintf("%lld", value); };
  if (view_ && view_->FindCounting())
    return Fill(Tr("FindBox", "查找中 %1%，已有 %2 个"), {IntToStr(view_->FindPercent()), number(count_)});
  if (view_ && view_->FindGaveUp())
    return Fill(Tr("FindBox", "太慢，已停：前 %1% 有 %2 个"), {IntToStr(view_->FindPercent()), number(count_)});
  if (count_ == 0) return Tr("FindBox", "无匹配");
  const long long current = view_ ? view_->CurrentMatch() : 0;
  if (current == 0) return Fill(Tr("FindBox", "共 %1 个"), {number(count_)});
  return Fill(Tr("FindBox", "第 %1 个，共 %2 个"), {number(current), number(count_)});
}
