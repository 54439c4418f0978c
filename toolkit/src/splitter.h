// The widget of a TSplitter (its accessible interface knows it by class).
#pragma once

#include <QWidget>

#include <functional>

class SplitterBar : public QWidget {
  Q_OBJECT

 public:
  SplitterBar();
  // Moves the bar's top there, held within minTop and maxTop; moved runs
  // when it went anywhere.
  void MoveTo(int top);

  int minTop = 0;
  int maxTop = 0;
  std::function<void()> moved;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int grabbedAt_ = 0;
  bool dragging_ = false;
};
