#include "log_area.h"

#include <QAccessible>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScrollBar>

#include <algorithm>
#include <climits>

#include "strip_painted_scroll_bar.h"

namespace {

constexpr int kMargin = 4;  // as a text area's document margin
// Layouts kept for drawing again: a few screens' worth.
constexpr std::size_t kCachedLayouts = 512;

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

LogArea::LogArea() {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  // As the memo: text that needs no shaping is drawn without it.
  QFont font = this->font();
  font.setStyleStrategy(QFont::PreferNoShaping);
  setFont(font);
  setAutoFillBackground(true);
  PaintInStrips(verticalScrollBar());
  verticalScrollBar()->setSingleStep(1);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) { OnScrolled(value); });
  searchTimer_.setInterval(100);
  connect(&searchTimer_, &QTimer::timeout, this, [this] { SearchChanged(); });
}

// The scroll bar is taken apart after the area's own members.
LogArea::~LogArea() { verticalScrollBar()->disconnect(this); }

void LogArea::AppendText(std::u16string_view text, std::uint32_t style) {
  AppendAndTell([&] { document.Append(text, style); });
}

void LogArea::AppendUtf8(std::string_view text, std::uint32_t style) {
  AppendAndTell([&] { document.AppendUtf8(text, style); });
}

void LogArea::AppendAndTell(const std::function<void()>& append) {
  const bool tell = QAccessible::isActive();
  const std::uint64_t endBefore = document.End();
  const std::uint64_t baseBefore = AccessibleBaseUnits();
  const std::uint64_t beginUnitsBefore = document.BeginUnits();
  std::string dropped;
  if (tell) document.droppedText = &dropped;
  document.droppedTooMuch = false;
  append();
  document.droppedText = nullptr;
  Appended(endBefore, baseBefore, beginUnitsBefore, dropped, tell);
}

std::uint64_t LogArea::AccessibleBaseUnits() const {
  const std::uint64_t end = document.EndUnits();
  return std::max(document.BeginUnits(), end > INT_MAX ? end - INT_MAX : 0);
}

// Tells assistive technology what went from the front and what came.
void LogArea::Appended(std::uint64_t endBefore, std::uint64_t baseBefore, std::uint64_t beginUnitsBefore,
                       const std::string& dropped, bool tell) {
  if (tell) {
    const std::uint64_t base = AccessibleBaseUnits();
    if (base > baseBefore) {
      QString removed;
      if (document.droppedTooMuch) {
        // Too much to hand over: as long as what went, the text unsaid.
        removed = QString(qsizetype(std::min<std::uint64_t>(base - baseBefore, INT_MAX)), QChar(u' '));
      } else {
        removed = QString::fromUtf8(dropped).mid(qsizetype(baseBefore - beginUnitsBefore));
        if (base > document.BeginUnits()) removed += TextOf(document.Begin(), document.PositionOfUnits(base));
      }
      QAccessibleTextRemoveEvent event(this, 0, removed);
      QAccessible::updateAccessibility(&event);
    }
    const std::uint64_t from = std::max(document.UnitsAt(std::max(endBefore, document.Begin())), base);
    if (from < document.EndUnits()) {
      QAccessibleTextInsertEvent inserted(this, int(from - base),
                                          TextOf(document.PositionOfUnits(from), document.End()));
      QAccessible::updateAccessibility(&inserted);
    }
  }
  ScheduleSync();
  if (changed) changed();
}

void LogArea::ClearText() {
  document.Clear();
  styles.Clear();
  layouts_.clear();
  anchor = caret = 0;
  topSerial_ = 0;
  follow_ = true;
  search.Restart(document);
  ScheduleSync();
  if (changed) changed();
  if (search.Active() && findChanged) findChanged();
}

void LogArea::SetLimit(std::uint64_t limit) {
  const bool tell = QAccessible::isActive();
  const std::uint64_t baseBefore = AccessibleBaseUnits();
  const std::uint64_t beginUnitsBefore = document.BeginUnits();
  std::string dropped;
  if (tell) document.droppedText = &dropped;
  document.droppedTooMuch = false;
  const bool dropping = document.SetLimit(limit);
  document.droppedText = nullptr;
  if (dropping) Appended(document.End(), baseBefore, beginUnitsBefore, dropped, tell);
}

std::uint64_t LogArea::SelectionStart() const {
  return std::clamp(std::min(anchor, caret), document.Begin(), document.End());
}

std::uint64_t LogArea::SelectionEnd() const {
  return std::clamp(std::max(anchor, caret), document.Begin(), document.End());
}

void LogArea::SetSelection(std::uint64_t from, std::uint64_t to) {
  anchor = from;
  caret = to;
  viewport()->update();
}

QString LogArea::TextOf(std::uint64_t from, std::uint64_t to) const {
  const std::string text = document.Slice(from, to);
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString LogArea::SelectedText() const { return TextOf(SelectionStart(), SelectionEnd()); }

void LogArea::Copy() const {
  const QString text = SelectedText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

bool LogArea::StartFind(const QString& pattern, const TFindOptions& options) {
  const bool valid = search.Start(pattern.toStdString(), options, document);
  if (search.Counting()) searchTimer_.start();
  viewport()->update();
  return valid;
}

void LogArea::EndFind() {
  search.Stop();
  searchTimer_.stop();
  viewport()->update();
}

void LogArea::SearchChanged() {
  const bool news = search.Update(document);
  if (!search.Counting()) searchTimer_.stop();
  if (!news) return;
  viewport()->update();
  if (findChanged) findChanged();
}

void LogArea::ScheduleSync() {
  if (syncPending_) return;
  syncPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (syncPending_) Sync();
      },
      Qt::QueuedConnection);
}

void LogArea::Sync() {
  syncPending_ = false;
  if (search.Update(document) && findChanged) findChanged();
  const std::uint64_t dropped = document.DroppedRows();
  const std::uint64_t bottom = BottomIndex();
  const std::uint64_t kept = topSerial_ < dropped ? 0 : topSerial_ - dropped;
  const std::uint64_t top = follow_ ? bottom : std::min(kept, bottom);
  topSerial_ = dropped + top;
  QScrollBar* bar = verticalScrollBar();
  const std::uint64_t step = RowsPerStep();
  adjusting_ = true;
  bar->setRange(0, int((bottom + step - 1) / step));
  bar->setPageStep(std::max(1, viewport()->height() / std::max(1, fontMetrics().lineSpacing()) - 1));
  bar->setValue(top == bottom ? bar->maximum() : int(top / step));
  adjusting_ = false;
  if (!painting_) viewport()->update();
}

void LogArea::OnScrolled(int value) {
  if (adjusting_) return;
  follow_ = value >= verticalScrollBar()->maximum();
  const std::uint64_t bottom = BottomIndex();
  topSerial_ = document.DroppedRows() + (follow_ ? bottom : std::min(bottom, std::uint64_t(value) * RowsPerStep()));
  viewport()->update();
}

bool LogArea::AtBottom() {
  Sync();
  return follow_;
}

bool LogArea::AtTop() {
  Sync();
  return topSerial_ == document.DroppedRows();
}

void LogArea::ScrollToRow(std::uint64_t index) {
  Sync();
  const std::uint64_t bottom = BottomIndex();
  index = std::min(index, bottom);
  QScrollBar* bar = verticalScrollBar();
  adjusting_ = true;
  bar->setValue(index == bottom ? bar->maximum() : int(index / RowsPerStep()));
  adjusting_ = false;
  topSerial_ = document.DroppedRows() + index;
  follow_ = index == bottom;
  viewport()->update();
}

void LogArea::ScrollToTop() { ScrollToRow(0); }

void LogArea::ScrollToBottom() { ScrollToRow(document.RowCount()); }

bool LogArea::RowVisible(std::uint64_t index) {
  const int height = viewport()->height();
  for (const Row& row : VisibleRows())
    if (row.index == index) return row.y >= 0 && row.y + Height(row.index) <= std::max(height, Height(row.index));
  return false;
}

void LogArea::Reveal(std::uint64_t position) {
  Sync();
  const std::uint64_t index = document.RowOf(position);
  if (RowVisible(index)) return;
  // A little of what leads to it stays in view above it.
  ScrollToRow(index > 2 ? index - 2 : 0);
}

std::uint64_t LogArea::TopPosition() {
  Sync();
  for (const Row& row : VisibleRows())
    if (row.y >= 0) return document.RowAt(row.index).start;
  return document.Begin();
}

int LogArea::TextWidth() const { return std::max(16, viewport()->width() - 2 * kMargin); }

int LogArea::RowLayout::Unit(std::uint64_t position) const {
  const std::uint64_t offset = std::clamp(position, start, end) - start;
  return units.empty() ? int(offset) : units[offset];
}

std::uint64_t LogArea::RowLayout::Position(int unit) const {
  if (units.empty()) return start + std::uint64_t(std::clamp<std::int64_t>(unit, 0, std::int64_t(end - start)));
  return start +
         std::uint64_t(std::lower_bound(units.begin(), units.end(), std::uint16_t(std::max(0, unit))) - units.begin());
}

const LogArea::RowLayout& LogArea::Layout(std::uint64_t index) {
  if (layoutWidth_ != TextWidth()) {
    layouts_.clear();
    layoutWidth_ = TextWidth();
  }
  const std::uint64_t serial = document.DroppedRows() + index;
  const LogDocument::Row row = document.RowAt(index);
  auto cached = layouts_.find(serial);
  if (cached != layouts_.end() && cached->second.start == row.start && cached->second.end == row.end)
    return cached->second;
  if (layouts_.size() >= kCachedLayouts) layouts_.clear();

  RowLayout made;
  made.start = row.start;
  made.end = row.end;
  const std::string bytes = document.Slice(row.start, row.end);
  const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
  if (std::size_t(text.size()) != bytes.size()) {
    made.units.resize(bytes.size() + 1);
    std::uint16_t unit = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      made.units[i] = unit;
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (!IsContinuation(bytes[i])) unit += byte >= 0xF0 ? 2 : 1;
    }
    made.units[bytes.size()] = unit;
  }
  made.layout = std::make_shared<QTextLayout>(text, font(), viewport());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  made.layout->setTextOption(option);
  QList<QTextLayout::FormatRange> formats;
  for (std::uint64_t at = row.start; at < row.end;) {
    const std::uint64_t next = document.StyleEnd(at, row.end);
    const QTextCharFormat format = styles.Format(document.StyleAt(at), palette());
    if (!format.isEmpty()) formats.append({made.Unit(at), made.Unit(next) - made.Unit(at), format});
    at = next;
  }
  made.layout->setFormats(formats);
  made.layout->setCacheEnabled(true);
  made.layout->beginLayout();
  qreal y = 0;
  for (QTextLine line = made.layout->createLine(); line.isValid(); line = made.layout->createLine()) {
    line.setLineWidth(layoutWidth_);
    line.setPosition(QPointF(0, y));
    y += std::max<qreal>(line.height(), fontMetrics().lineSpacing());
  }
  made.layout->endLayout();
  return layouts_[serial] = std::move(made);
}

std::uint64_t LogArea::BottomIndex() {
  const int height = viewport()->height();
  int total = 0;
  const std::uint64_t count = document.RowCount();
  for (std::uint64_t i = count; i-- > 0;) {
    total += Height(i);
    if (total > height) return i + 1 < count ? i + 1 : i;
  }
  return 0;
}

std::vector<LogArea::Row> LogArea::VisibleRows() {
  std::vector<Row> rows;
  const int height = viewport()->height();
  const std::uint64_t count = document.RowCount();
  const std::uint64_t dropped = document.DroppedRows();
  const std::uint64_t top = std::min(topSerial_ < dropped ? 0 : topSerial_ - dropped, count - 1);
  if (follow_ && top > 0) {
    // At the bottom the newest line sits on the bottom edge.
    int y = height;
    for (std::uint64_t i = count; i-- > 0 && y > 0;) {
      y -= Height(i);
      rows.push_back(Row{i, y});
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
  }
  int y = 0;
  for (std::uint64_t i = top; i < count && y < height; ++i) {
    rows.push_back(Row{i, y});
    y += Height(i);
  }
  return rows;
}
