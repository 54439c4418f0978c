// TLogView: the control around LogArea.
#include "toolkit/log_view.h"

#include <QScrollBar>

#include "control_data.h"
#include "event_guard.h"
#include "log_area.h"
#include "qt_text.h"

namespace {

LogArea* Area(const TLogView* view) { return ControlAccess::WidgetAs<LogArea>(view); }

std::u16string_view View(const QString& text) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
}

int Offset(const LogArea* area, std::uint64_t position) { return int(position - area->document.Begin()); }

std::uint64_t Position(const LogArea* area, int offset) {
  return area->document.Begin() + std::uint64_t(std::clamp<long long>(offset, 0, area->document.Length()));
}

}  // namespace

TLogView::TLogView(TComponent* AOwner)
    : TWinControl(AOwner, NewControlData([] { return new LogArea; }, QPalette::Base, clWindow)),
      Limit([this] { return static_cast<unsigned long long>(Area(this)->document.Limit()); },
            [this](const unsigned long long& value) { Area(this)->SetLimit(value); }) {
  LogArea* area = Area(this);
  ControlAccess::Data(this).colorWidget = area->viewport();
  area->changed = [this] {
    CallGuarded(this, [this] {
      if (OnChange) OnChange(this);
    });
  };
  area->findChanged = [this] {
    CallGuarded(this, [this] {
      if (OnFindChange) OnFindChange(this);
    });
  };
}

TLogView::~TLogView() {
  if (LogArea* area = Area(this)) {
    area->changed = nullptr;
    area->findChanged = nullptr;
  }
}

void TLogView::Append(const String& Text, const TTextStyle& Style) {
  Append(View(QString::fromUtf8(Text.Utf8().data(), qsizetype(Text.Utf8().size()))), Style);
}

void TLogView::Append(std::u16string_view Text, const TTextStyle& Style) {
  LogArea* area = Area(this);
  area->AppendText(Text, area->styles.IndexOf(Style));
}

void TLogView::Clear() { Area(this)->ClearText(); }

unsigned long long TLogView::KeptBytes() const { return Area(this)->document.KeptBytes(); }
unsigned long long TLogView::DroppedBytes() const { return Area(this)->document.DroppedBytes(); }

String TLogView::Text() const {
  const LogDocument& document = Area(this)->document;
  const std::u16string text = document.Slice(document.Begin(), document.End());
  return FromQString(QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size())));
}

int TLogView::CharacterCount() const { return int(Area(this)->document.Length()); }

String TLogView::TextRange(int Start, int Length) const {
  const LogArea* area = Area(this);
  const std::u16string text = area->document.Slice(Position(area, Start), Position(area, Start + std::max(0, Length)));
  return FromQString(QString::fromRawData(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size())));
}

String TLogView::SelText() const { return FromQString(Area(this)->SelectedText()); }
int TLogView::SelStart() const { return Offset(Area(this), Area(this)->SelectionStart()); }
int TLogView::SelLength() const { return int(Area(this)->SelectionEnd() - Area(this)->SelectionStart()); }

void TLogView::Select(int Start, int Length) {
  LogArea* area = Area(this);
  area->SetSelection(Position(area, Start), Position(area, Start + std::max(0, Length)));
}

void TLogView::SelectAll() { Select(0, CharacterCount()); }
void TLogView::CopyToClipboard() const { Area(this)->Copy(); }

bool TLogView::AtBottom() const { return Area(this)->AtBottom(); }
bool TLogView::AtTop() const {
  Area(this)->Sync();
  return Area(this)->verticalScrollBar()->value() == 0;
}
void TLogView::ScrollToTop() { Area(this)->ScrollToTop(); }
void TLogView::ScrollToBottom() { Area(this)->ScrollToBottom(); }
void TLogView::ScrollToPosition(int Position) { Area(this)->Reveal(::Position(Area(this), Position)); }
int TLogView::TopPosition() const { return Offset(Area(this), Area(this)->TopPosition()); }

int TLogView::Find(const String& Pattern, const TFindOptions& Options) {
  LogArea* area = Area(this);
  int result = -1;
  if (Pattern.IsEmpty()) {
    area->search.Stop();
    result = 0;
  } else if (area->search.Start(ToQString(Pattern), Options, area->document)) {
    result = MatchCount();
  }
  area->viewport()->update();
  return result;
}

bool TLogView::FindNext(bool Backward) { return Area(this)->FindNext(Backward); }

int TLogView::MatchCount() const {
  Area(this)->Sync();
  return int(Area(this)->search.Matches().size());
}

int TLogView::CurrentMatch() const {
  const LogArea* area = Area(this);
  const long index = area->search.IndexAt(area->SelectionStart());
  if (index < 0) return 0;
  const auto& match = area->search.Matches()[std::size_t(index)];
  return match.start + match.length == area->SelectionEnd() ? int(index) + 1 : 0;
}

void TLogView::EndFind() { Find(String()); }

void TLogView::Dispatch(TMessage& Message) {
  LogArea* area = Area(this);
  if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_NEXT || Message.WParam == VK_PRIOR)) {
    const int repeat = std::max(1, static_cast<int>(LOWORD(Message.LParam)));
    area->Sync();
    for (int i = 0; i < repeat; ++i)
      area->verticalScrollBar()->triggerAction(Message.WParam == VK_NEXT ? QAbstractSlider::SliderPageStepAdd
                                                                         : QAbstractSlider::SliderPageStepSub);
    Message.Result = 0;
    return;
  }
  if (Message.Msg == EM_SCROLLCARET) {
    area->Reveal(area->caret);
    Message.Result = 1;
    return;
  }
  TWinControl::Dispatch(Message);
}
