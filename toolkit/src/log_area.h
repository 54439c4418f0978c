// The widget behind TLogView: a scroll area that draws the rows of its
// document that are on screen, one QTextLayout each (the few on screen are
// cached), and scrolls by rows. At the bottom it draws upwards from the
// newest line, as a terminal does. Positions are the document's (bytes of
// its UTF-8 text); TLogView and the accessible interface speak UTF-16.
#pragma once

#include <QAbstractScrollArea>
#include <QMenu>
#include <QTextLayout>
#include <QTimer>

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
  std::function<void()> findChanged;  // the number of matches, or the search's state, changed

  void AppendText(std::u16string_view text, std::uint32_t style);
  void AppendUtf8(std::string_view text, std::uint32_t style);
  void ClearText();
  void SetLimit(std::uint64_t limit);
  // Selection as absolute positions, clamped to what is kept.
  std::uint64_t SelectionStart() const;
  std::uint64_t SelectionEnd() const;
  void SetSelection(std::uint64_t from, std::uint64_t to);
  QString SelectedText() const;
  void Copy() const;

  // Starts a find (false for a pattern that is not valid) or ends it.
  bool StartFind(const QString& pattern, const TFindOptions& options);
  void EndFind();

  // Brings pending changes to the scroll bar (done by itself before the
  // next paint and query).
  void Sync();
  bool AtBottom();
  bool AtTop();
  void ScrollToTop();
  void ScrollToBottom();
  void ScrollToRow(std::uint64_t index);
  // Brings a position into view, leaving the view alone if it is in it.
  void Reveal(std::uint64_t position);
  std::uint64_t TopPosition();

  bool FindNext(bool backward);

  // Geometry for accessibility: the rectangle of a character in viewport
  // coordinates (empty when not on screen) and the position under a point.
  QRect CharacterRect(std::uint64_t position);
  std::uint64_t PositionAt(QPoint point);

  // Text between two positions.
  QString TextOf(std::uint64_t from, std::uint64_t to) const;
  // What assistive technology counts from: the first character it is
  // given (it counts in int: the newest 2^31 - 1 characters at most).
  std::uint64_t AccessibleBaseUnits() const;

  QMenu* CreateStandardContextMenu();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // The area draws itself from its own top row: nothing to move.
  void scrollContentsBy(int, int) override {}

 private:
  struct Row {
    std::uint64_t index;  // in the document
    int y;                // top in the viewport
  };
  // A row laid out, with the UTF-16 offset of each of its bytes (empty
  // when every byte is a character of its own).
  struct RowLayout {
    std::uint64_t start = 0, end = 0;
    std::shared_ptr<QTextLayout> layout;
    std::vector<std::uint16_t> units;
    int Unit(std::uint64_t position) const;
    std::uint64_t Position(int unit) const;
  };

  // Runs `append` on the document, then brings the view and assistive
  // technology up to date with what it added and dropped.
  void AppendAndTell(const std::function<void()>& append);
  void Appended(std::uint64_t endBefore, std::uint64_t baseBefore, std::uint64_t beginUnitsBefore,
                const std::string& dropped, bool tell);
  int TextWidth() const;
  const RowLayout& Layout(std::uint64_t index);
  int Height(std::uint64_t index) { return int(Layout(index).layout->boundingRect().height() + 0.999); }
  // The row at the top when scrolled to the bottom.
  std::uint64_t BottomIndex();
  // The rows on screen, top to bottom.
  std::vector<Row> VisibleRows();
  void OnScrolled(int value);
  void ScheduleSync();
  void SearchChanged();
  QList<QTextLayout::FormatRange> Marks(const RowLayout& row, const std::vector<LogSearch::Match>& matches) const;
  void SelectWordAt(std::uint64_t position);
  bool RowVisible(std::uint64_t index);
  // Scroll bar values stand for rows, so many rows a value past INT_MAX.
  std::uint64_t RowsPerStep() const { return document.RowCount() / (1u << 30) + 1; }

  std::uint64_t topSerial_ = 0;  // serial number of the top row
  bool follow_ = true;           // scrolled to the bottom: follow new text
  bool syncPending_ = false;
  bool adjusting_ = false;
  bool painting_ = false;
  std::unordered_map<std::uint64_t, RowLayout> layouts_;  // by row serial
  int layoutWidth_ = -1;
  // While the find's count runs on its thread: its progress, then its end.
  QTimer searchTimer_;
};
