// The watch thread of an open port: which slot each event reaches, the
// default notifications, and how the thread ends.
#include <kestrix/platform_testing.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "FakeWindow.h"
#include "RecordingPort.h"
#include "serial_port_test.h"

namespace {

class PortWatchTest : public SerialPortTest {
 protected:
  void OpenWatched(cxComm& port, DWORD number) {
    AddFarEnd(number);
    ASSERT_TRUE(port.Open(number, "9600,N,8,1"));
  }

  // Gives the watch thread time to be back in its event wait, so that the
  // next injected event is taken at once.
  static void LetTheWatcherSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }
};

struct EventAndSlot {
  DWORD event;
  Slot slot;
};

const EventAndSlot kEventSlots[] = {
    {EV_RXCHAR, Slot::kReceive}, {EV_TXEMPTY, Slot::kTXEmpty}, {EV_CTS, Slot::kCTS},   {EV_DSR, Slot::kDSR},
    {EV_RLSD, Slot::kRLSD},      {EV_BREAK, Slot::kBreak},     {EV_ERR, Slot::kError}, {EV_RING, Slot::kRing},
};

TEST_F(PortWatchTest, EachEventCallsItsOwnSlotOnce) {
  RecordingPort port;
  OpenWatched(port, 1);
  int expectedTotal = 0;
  for (const EventAndSlot& row : kEventSlots) {
    SCOPED_TRACE(row.event);
    LetTheWatcherSettle();
    ASSERT_TRUE(InjectCommEventForTesting(port._hComm, row.event));
    ++expectedTotal;
    ASSERT_TRUE(WaitUntil([&] { return port.TotalCalls() == expectedTotal; }));
    EXPECT_EQ(port.Calls(row.slot), 1);
  }
}

TEST_F(PortWatchTest, CombinedEventValuesCallNoSlot) {
  RecordingPort port;
  OpenWatched(port, 2);
  int rings = 0;
  for (DWORD combined : {DWORD{EV_RXCHAR | EV_TXEMPTY}, DWORD{EV_CTS | EV_DSR}, DWORD{EV_RXFLAG}}) {
    SCOPED_TRACE(combined);
    LetTheWatcherSettle();
    ASSERT_TRUE(InjectCommEventForTesting(port._hComm, combined));
    // A single event after it shows that the combined one has been handled.
    LetTheWatcherSettle();
    ASSERT_TRUE(InjectCommEventForTesting(port._hComm, EV_RING));
    ++rings;
    ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kRing) == rings; }));
    EXPECT_EQ(port.TotalCalls(), rings);
  }
}

TEST_F(PortWatchTest, ArrivingBytesCallTheReceiveSlotAlsoWhenNoneAreQueued) {
  RecordingPort port;
  OpenWatched(port, 3);
  LetTheWatcherSettle();
  ASSERT_TRUE(InjectCommEventForTesting(port._hComm, EV_RXCHAR));
  ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) == 1; }));
  EXPECT_EQ(QueuedInput(port._hComm), 0u);

  SendFromFarEnd(3, "x");
  EXPECT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) == 2; }));
}

TEST_F(PortWatchTest, BytesThatArriveBeforeTheWatcherWatchesAreStillReported) {
  RecordingPort port;
  port.watcherStartDelay = std::chrono::milliseconds(300);
  OpenWatched(port, 9);
  SendFromFarEnd(9, "early");
  EXPECT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) == 1; }));
  EXPECT_EQ(QueuedInput(port._hComm), 5u);
}

TEST_F(PortWatchTest, ALineErrorSeenByTheWatcherDiscardsTheInputItCameWith) {
  RecordingPort port;
  OpenWatched(port, 4);
  LetTheWatcherSettle();
  // The watcher's status query on the arrival is the first to see it.
  ASSERT_TRUE(InjectCommErrorsForTesting(port._hComm, CE_FRAME));
  SendFromFarEnd(4, "bad");
  ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) >= 1; }));
  EXPECT_EQ(QueuedInput(port._hComm), 0u);
}

TEST_F(PortWatchTest, DefaultSlotsPostToTheNotifyWindowOnlyWhenOneIsSet) {
  FakeWindow window;
  cxComm silent;
  OpenWatched(silent, 5);
  cxComm notifying;
  notifying._hNotifyWnd = window.Handle();
  OpenWatched(notifying, 6);

  // Without modem lines (a pseudo-terminal has none) the CTS and DSR
  // notifications have no status to tell and post nothing.
  const struct {
    DWORD event;
    UINT message;
  } kNotifications[] = {
      {EV_RXCHAR, 1642}, {EV_RING, 1647}, {EV_RLSD, 1648}, {EV_BREAK, 1649}, {EV_TXEMPTY, 1650}, {EV_ERR, 1651},
  };
  for (cxComm* port : {&silent, &notifying}) {
    for (const auto& row : kNotifications) {
      LetTheWatcherSettle();
      if (row.event == EV_ERR) {
        ASSERT_TRUE(InjectCommErrorsForTesting(port->_hComm, CE_OVERRUN));
      }
      ASSERT_TRUE(InjectCommEventForTesting(port->_hComm, row.event));
    }
  }
  ASSERT_TRUE(WaitUntil([&] { return window.Messages().size() >= std::size(kNotifications); }));
  LetTheWatcherSettle();
  const std::vector<PostedMessage> messages = window.Messages();
  ASSERT_EQ(messages.size(), std::size(kNotifications));
  for (size_t index = 0; index < messages.size(); ++index) {
    SCOPED_TRACE(index);
    EXPECT_EQ(messages[index].hWnd, window.Handle());
    EXPECT_EQ(messages[index].message, kNotifications[index].message);
    EXPECT_EQ(messages[index].wParam, 6u);
    EXPECT_EQ(messages[index].lParam, kNotifications[index].event == EV_ERR ? CE_OVERRUN : 0);
  }
  // The error notification cleared the port's error state.
  DWORD errors = 0;
  ASSERT_TRUE(ClearCommError(notifying._hComm, &errors, nullptr));
  EXPECT_EQ(errors, 0u);
  ASSERT_TRUE(ClearCommError(silent._hComm, &errors, nullptr));
  EXPECT_EQ(errors, 0u);
}

TEST_F(PortWatchTest, ClosingEndsTheWatcherWithoutForcingIt) {
  RecordingPort port;
  OpenWatched(port, 7);
  ASSERT_TRUE(WaitUntil([&] { return port.watchersStarted == 1; }));
  LetTheWatcherSettle();
  port.Close();
  // Close returns only once the thread has ended; a forced end would leave
  // WatchProc unreturned.
  EXPECT_EQ(port.watchersReturned, 1);
  EXPECT_EQ(port.lastExitCode, 0u);
  EXPECT_EQ(port._hWatchThread, nullptr);
  EXPECT_EQ(port._hComm, INVALID_HANDLE_VALUE);
}

TEST_F(PortWatchTest, AWatcherThatCannotSetItsEventMaskSaysSoAndEnds) {
  FakeWindow window;
  RecordingPort port;
  port.watcherStartDelay = std::chrono::milliseconds(200);
  OpenWatched(port, 11);
  // The handle goes away under the watcher before it starts watching.
  const HANDLE stolen = port._hComm;
  ASSERT_TRUE(CloseHandle(stolen));
  ASSERT_TRUE(WaitUntil([&] { return port.watchersReturned == 1; }));
  EXPECT_EQ(port.lastExitCode, 1u);

  // The box is shown without holding up the watcher's end.
  ASSERT_TRUE(WaitUntil([&] { return !window.MessageBoxes().empty(); }));
  const std::vector<ShownMessageBox> boxes = window.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Class cxComm");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  char handleText[32];
  std::snprintf(handleText, sizeof handleText, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(stolen)));
  EXPECT_EQ(boxes[0].text, std::string("cxComm(661) : COM11 Call WINAPI SetCommMask(") + handleText +
                               ", 1fd) Fail, thread work invalid! GetLastError() = 6;");

  // The port object still counts as open; closing it collects the ended
  // thread.
  EXPECT_NE(port._hComm, INVALID_HANDLE_VALUE);
  port.Close();
  EXPECT_EQ(port._hWatchThread, nullptr);
  EXPECT_EQ(port._hComm, INVALID_HANDLE_VALUE);
}

TEST_F(PortWatchTest, AHungUpDeviceDoesNotMakeTheWatcherSpinAndThePortStillCloses) {
  RecordingPort port;
  OpenWatched(port, 8);
  ASSERT_TRUE(WaitUntil([&] { return port.watchersStarted == 1; }));
  HangUpFarEnd(8);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the hang-up is noticed

  const double before = port.WatcherCpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double used = port.WatcherCpuSeconds() - before;
  EXPECT_LT(used, 0.1) << "a watcher that retries at once uses a whole core";

  port.Close();
  EXPECT_EQ(port.watchersReturned, 1);
  EXPECT_EQ(port.lastExitCode, 0u);
  EXPECT_EQ(port._hComm, INVALID_HANDLE_VALUE);
}

// A watcher busy in a slot when its port closes: the close waits for it,
// so that it never runs on into the next opening of the port.
TEST_F(PortWatchTest, ClosingWaitsForAWatcherBusyInASlot) {
  RecordingPort port;
  port.receiveDelay = std::chrono::milliseconds(400);
  OpenWatched(port, 12);
  SendFromFarEnd(12, "slow");
  ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) == 1; }));
  port.Close();
  EXPECT_EQ(port.watchersReturned, 1) << "the watcher was left running after the close";
  EXPECT_EQ(port._hWatchThread, nullptr);

  // Reopened at once, the port has one watcher: the new one.
  port.receiveDelay = std::chrono::milliseconds(0);
  ASSERT_TRUE(port.Open(12, "9600,N,8,1"));
  ASSERT_TRUE(WaitUntil([&] { return port.watchersStarted == 2; }));
  SendFromFarEnd(12, "x");
  ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) >= 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(port.mostWatchersAtOnce, 1);
  EXPECT_EQ(port.watchersRunning, 1);
}

// Rapid open, traffic and close: every watcher ends with its opening, no
// two ever run together, and no thread is left behind.
TEST_F(PortWatchTest, RapidReopeningNeverLeavesTwoWatchersOrAThreadBehind) {
  AddFarEnd(13);
  RecordingPort port;
  const size_t threadsBefore =
      std::distance(std::filesystem::directory_iterator("/proc/self/task"), std::filesystem::directory_iterator());
  const int kCycles = 100;
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    // Now and then the watcher is still in a slow slot when the port closes.
    const bool slow = cycle % 10 == 0;
    port.receiveDelay = std::chrono::milliseconds(slow ? 150 : 1);
    const int received = port.Calls(Slot::kReceive);
    ASSERT_TRUE(port.Open(13, "9600,N,8,1"));
    SendFromFarEnd(13, "ab");
    if (slow) {
      ASSERT_TRUE(WaitUntil([&] { return port.Calls(Slot::kReceive) > received; }));
    }
    port.Close();
    ASSERT_EQ(port.watchersReturned, cycle + 1) << "cycle " << cycle;
  }
  EXPECT_EQ(port.watchersStarted, kCycles);
  EXPECT_EQ(port.mostWatchersAtOnce, 1);
  EXPECT_TRUE(WaitUntil([&] {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                             std::filesystem::directory_iterator())) <= threadsBefore;
  }));
}

}  // namespace
