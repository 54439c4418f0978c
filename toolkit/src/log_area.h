// The widget behind TLogView: a scroll area that draws the segments of its
// document that are on screen, one QTextLayout each (the few on screen are
// cached), and scrolls by segments. At the bottom it draws upwards from the
// newest line, as a terminal does.
#pragma once

#include <QAbstractScrollArea>
#include <QMenu>
#include <QTextLayout>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "log_document.h"
#include "log_search.h"
#include "log_styles.h"

class LogArea : public QAbstractScrollArea {
  Q_OBJECT

 public:
  LogArea();
  ~LogArea() override;

  LogDocument document;
  LogStyles styles;
  LogSearch search;
  // The selection: from anchor to caret, absolute positions.
  std::uint64_t anchor = 0;
  std::uint64_t caret = 0;
  std::function<void()> changed;      // what is kept changed
  std::function<void()> findChanged;  // the number of matches changed

  void AppendText(std::u16string_view text, std::uint32_t style);
  void ClearText();
  void SetLimit(std::uint64_t limit);
  // Selection as absolute positions, clamped to what is kept.
  std::uint64_t SelectionStart() const;
  std::uint64_t SelectionEnd() const;
  void SetSelection(std::uint64_t from, std::uint64_t to);
  QString SelectedText() const;
  void Copy() const;

  // Brings pending changes to the scroll bar (done by itself before the
  // next paint and query).
  void Sync();
  bool AtBottom();
  void ScrollToTop();
  void ScrollToBottom();
  void ScrollToSegment(std::size_t index);
  // Brings a position into view, leaving the view alone if it is in it.
  void Reveal(std::uint64_t position);
  std::uint64_t TopPosition();

  bool FindNext(bool backward);

  // Geometry for accessibility: the rectangle of a character in viewport
  // coordinates (empty when not on screen) and the position under a point.
  QRect CharacterRect(std::uint64_t position);
  std::uint64_t PositionAt(QPoint point);

  QMenu* CreateStandardContextMenu();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // The area draws itself from its own top segment: nothing to move.
  void scrollContentsBy(int, int) override {}

 private:
  struct Row {
    std::size_t index;  // segment
    int y;              // top in the viewport
  };
  struct CachedLayout {
    std::uint64_t end;
    std::shared_ptr<QTextLayout> layout;
  };

  int TextWidth() const;
  std::shared_ptr<QTextLayout> Layout(std::size_t index);
  int Height(std::size_t index) { return int(Layout(index)->boundingRect().height() + 0.999); }
  // The segment at the top when scrolled to the bottom.
  std::size_t BottomIndex();
  // The segments on screen, top to bottom.
  std::vector<Row> VisibleRows();
  void OnScrolled(int value);
  void ScheduleSync();
  QList<QTextLayout::FormatRange> Marks(std::uint64_t from, std::uint64_t to) const;
  void SelectWordAt(std::uint64_t position);
  bool IsWordUnitAt(std::uint64_t position) const;
  bool SegmentVisible(std::size_t index);

  std::uint64_t topSerial_ = 0;  // serial number of the top segment
  bool follow_ = true;           // scrolled to the bottom: follow new text
  bool syncPending_ = false;
  bool adjusting_ = false;
  bool painting_ = false;
  std::unordered_map<std::uint64_t, CachedLayout> layouts_;  // by segment serial
  int layoutWidth_ = -1;
};
