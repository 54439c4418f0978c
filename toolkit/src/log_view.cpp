// TLogView: the control around LogArea. Its positions count UTF-16 units
// of the kept text, the area's count bytes of it.
#include "toolkit/log_view.h"

#include <QScrollBar>

#include "control_data.h"
#include "event_guard.h"
#include "log_area.h"
#include "qt_text.h"

namespace {

LogArea* Area(const TLogView* view) { return ControlAccess::WidgetAs<LogArea>(view); }

long long Offset(const LogArea* area, std::uint64_t position) {
  return (long long)(area->document.UnitsAt(position) - area->document.BeginUnits());
}

std::uint64_t Position(const LogArea* area, long long offset) {
  const LogDocument& document = area->document;
  return document.PositionOfUnits(document.BeginUnits() + std::uint64_t(std::max(0LL, offset)));
}

String FromUtf8(std::string text) { return String(std::move(text)); }

}  // namespace

unsigned long long TLogText::Size() const {
  if (!bytes_) return 0;
  const auto* bytes = static_cast<const LogBytes*>(bytes_.get());
  return bytes->End() - bytes->Begin();
}

std::size_t TLogText::Read(unsigned long long Offset, char* Buffer, std::size_t Count) const {
  if (!bytes_ || Offset >= Size()) return 0;
  const auto* bytes = static_cast<const LogBytes*>(bytes_.get());
  const std::uint64_t from = bytes->Begin() + Offset;
  const std::uint64_t to = std::min<std::uint64_t>(bytes->End(), from + Count);
  bytes->CopyTo(from, to, Buffer);
  return std::size_t(to - from);
}

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
  LogArea* area = Area(this);
  area->AppendUtf8(Text.Utf8(), area->styles.IndexOf(Style));
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
  return FromUtf8(document.Slice(document.Begin(), document.End()));
}

TLogText TLogView::TextNow() const {
  TLogText text;
  text.bytes_ = std::make_shared<const LogBytes>(Area(this)->document.Bytes());
  return text;
}

long long TLogView::CharacterCount() const {
  const LogDocument& document = Area(this)->document;
  return (long long)(document.EndUnits() - document.BeginUnits());
}

String TLogView::TextRange(long long Start, long long Length) const {
  const LogArea* area = Area(this);
  return FromUtf8(area->document.Slice(Position(area, Start), Position(area, Start + std::max(0LL, Length))));
}

String TLogView::SelText() const {
  const LogArea* area = Area(this);
  return FromUtf8(area->document.Slice(area->SelectionStart(), area->SelectionEnd()));
}

long long TLogView::SelStart() const { return Offset(Area(this), Area(this)->SelectionStart()); }
long long TLogView::SelLength() const {
  return Offset(Area(this), Area(this)->SelectionEnd()) - Offset(Area(this), Area(this)->SelectionStart());
}

void TLogView::Select(long long Start, long long Length) {
  LogArea* area = Area(this);
  area->SetSelection(Position(area, Start), Position(area, Start + std::max(0LL, Length)));
}

void TLogView::SelectAll() {
  LogArea* area = Area(this);
  area->SetSelection(area->document.Begin(), area->document.End());
}
void TLogView::CopyToClipboard() const { Area(this)->Copy(); }

bool TLogView::AtBottom() const { return Area(this)->AtBottom(); }
bool TLogView::AtTop() const { return Area(this)->AtTop(); }
void TLogView::ScrollToTop() { Area(this)->ScrollToTop(); }
void TLogView::ScrollToBottom() { Area(this)->ScrollToBottom(); }
void TLogView::ScrollToPosition(long long Position) { Area(this)->Reveal(::Position(Area(this), Position)); }
long long TLogView::TopPosition() const { return Offset(Area(this), Area(this)->TopPosition()); }

int TLogView::Find(const String& Pattern, const TFindOptions& Options) {
  LogArea* area = Area(this);
  if (Pattern.IsEmpty()) {
    area->EndFind();
    return 0;
  }
  if (!area->StartFind(ToQString(Pattern), Options)) return -1;
  return int(std::min<long long>(MatchCount(), INT_MAX));
}

bool TLogView::FindNext(bool Backward) { return Area(this)->FindNext(Backward); }

long long TLogView::MatchCount() const {
  Area(this)->Sync();
  return (long long)Area(this)->search.Count();
}

bool TLogView::FindCounting() const { return Area(this)->search.Counting(); }
int TLogView::FindPercent() const { return Area(this)->search.Percent(); }
bool TLogView::FindGaveUp() const { return Area(this)->search.GaveUp(); }

long long TLogView::CurrentMatch() const {
  LogArea* area = Area(this);
  area->Sync();
  const std::uint64_t start = area->SelectionStart();
  const LogSearch::Match selected{start, std::uint32_t(area->SelectionEnd() - start)};
  if (selected.length == 0) return 0;
  return (long long)area->search.NumberOf(area->document, selected);
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
