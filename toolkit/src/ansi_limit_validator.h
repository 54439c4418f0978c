// Keeps what the user types or pastes into a line edit within a number of
// ANSI (GBK) bytes: an insertion that does not fit is cut at the limit, so a
// paste keeps its beginning. Text set by the program passes unchecked.
#pragma once

#include <QValidator>

class AnsiLimitValidator : public QValidator {
 public:
  explicit AnsiLimitValidator(QObject* parent) : QValidator(parent) {}

  // 0 means no limit.
  void SetLimit(int bytes) { limit_ = bytes; }
  int Limit() const { return limit_; }
  // The text now in the edit, against which the next edit is measured.
  void SetAcceptedText(const QString& text);
  // While on, every text is accepted as it is (the program's own changes).
  void SetBypass(bool on) { bypass_ = on; }

  State validate(QString& input, int& pos) const override;

 private:
  int limit_ = 0;
  int acceptedBytes_ = 0;
  bool bypass_ = false;
};
