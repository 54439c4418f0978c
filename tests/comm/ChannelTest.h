// Channels on pseudo-terminal lines, posting to a stand-in window that
// records every message.
#pragma once

#include <memory>
#include <vector>

#include "FakeWindow.h"
#include "ReadData.h"
#include "serial_port_test.h"

class ChannelTest : public SerialPortTest {
 protected:
  void SetUp() override {
    SerialPortTest::SetUp();
    window_ = std::make_unique<FakeWindow>();
  }
  void TearDown() override {
    window_.reset();
    SerialPortTest::TearDown();
  }

  // Opens the channel on a fresh line COM<number>, posting to the window.
  void OpenChannel(ReadData& channel, DWORD number) {
    AddFarEnd(number);
    channel._hTargetWnd = window_->Handle();
    ASSERT_TRUE(channel.Open(number, "9600,N,8,1"));
  }

  // The messages of this kind posted to the window so far.
  std::vector<PostedMessage> Posted(UINT message) const {
    std::vector<PostedMessage> found;
    for (PostedMessage& posted : window_->Messages())
      if (posted.message == message) found.push_back(std::move(posted));
    return found;
  }

  std::unique_ptr<FakeWindow> window_;
};
