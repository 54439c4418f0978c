// Running the event loop for tests: until a condition holds, or for a time.
#include "toolkit/testing.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include "message_loop.h"
#include "toolkit/forms.h"

bool ProcessMessagesUntil(const std::function<bool()>& condition, int timeoutMs) {
  Application->Initialize();
  MessageLoopScope scope;
  QDeadlineTimer deadline(timeoutMs);
  // Wakes the loop now and then, so that the condition is checked even when
  // no event arrives.
  QTimer ticker;
  ticker.start(5);
  while (!condition()) {
    if (deadline.hasExpired()) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

void RunMessageLoopFor(int ms) {
  Application->Initialize();
  MessageLoopScope scope;
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void ProcessMessagesFor(int ms) {
  Application->Initialize();
  QDeadlineTimer deadline(ms);
  ProcessMessagesUntil([&] { return deadline.hasExpired(); }, ms + 1000);
}
