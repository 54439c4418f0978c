// A panel's writer thread on a pseudo-terminal line: sends queue in order
// behind a file and a paced send, each handed back in parts that say where
// its send ends; a cancelled file lets the sends behind it go on; what does
// not fit is refused whole; a cancel ends everything at once.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "PortWriter.h"
#include "cxComm.h"
#include "serial_port_test.h"
#include "wait_until.h"

namespace {

class PortWriterTest : public SerialPortTest {
 protected:
  void SetUp() override {
    SerialPortTest::SetUp();
    AddFarEnd(1);
    ASSERT_TRUE(port.Open(1, "115200,N,8,1"));
  }
  void TearDown() override {
    writer.Cancel();
    port.Close();
    SerialPortTest::TearDown();
  }

  HANDLE OpenFile(const std::string& bytes) {
    const std::string path = folder / "file.bin";
    std::ofstream(path, std::ios::binary) << bytes;
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  // Parts taken until `count` bytes have been handed back, joined, with a
  // '|' after each part that ends its send.
  std::string TakeUntil(size_t count) {
    std::string taken;
    size_t bytes = 0;
    serial_lines::WaitUntil([&] {
      for (const PortWriter::SentPart& part : writer.TakeSent()) {
        taken += part.Bytes + (part.Ends ? "|" : "");
        bytes += part.Bytes.size();
      }
      return bytes >= count && !writer.Busy();
    });
    for (const PortWriter::SentPart& part : writer.TakeSent()) taken += part.Bytes + (part.Ends ? "|" : "");
    return taken;
  }

  cxComm port;
  PortWriter writer;
  TempFolder folder;
};

TEST_F(PortWriterTest, SendsQueueInOrderBehindAFileAndAPacedSendEachEndingItsPart) {
  const std::string file(20000, 'f');
  ASSERT_EQ(writer.QueueFile(port._hComm, OpenFile(file), 115200, SendPacing{}, true),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(writer.Queue(port._hComm, "abc", SendPacing{2, 0}, true));
  ASSERT_TRUE(writer.Queue(port._hComm, "xyz", SendPacing{}, false));
  EXPECT_EQ(ReceiveAtFarEnd(1, file.size() + 6), file + "abcxyz");
  const std::string taken = TakeUntil(file.size() + 6);
  EXPECT_EQ(taken, file + "|abc|xyz|");
  EXPECT_EQ(writer.File().Sent, file.size());
  EXPECT_EQ(writer.File().Result, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(writer.File().Running);
}

TEST_F(PortWriterTest, ACancelledFileEndsItsPartAndWhatWaitsBehindItStillGoes) {
  // A paced file slow enough to be cut: 2 ms after each of 5,000 bytes.
  ASSERT_EQ(writer.QueueFile(port._hComm, OpenFile(std::string(5000, 'f')), 115200, SendPacing{2, 0}, true),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(writer.Queue(port._hComm, "after", SendPacing{}, true));
  ASSERT_TRUE(serial_lines::WaitUntil([&] { return writer.File().Sent >= 10; }));
  EXPECT_EQ(writer.QueueFile(port._hComm, OpenFile("second"), 115200, SendPacing{}, true),
            static_cast<DWORD>(ERROR_BUSY));
  writer.CancelFile();
  EXPECT_FALSE(writer.File().Running);
  EXPECT_EQ(writer.File().Result, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
  const ULONGLONG sent = writer.File().Sent;
  const std::string taken = TakeUntil(sent + 5);
  EXPECT_EQ(taken, std::string(sent, 'f') + "|after|");
  EXPECT_EQ(ReceiveAtFarEnd(1, sent + 5), std::string(sent, 'f') + "after");
}

TEST_F(PortWriterTest, WhatDoesNotFitIsRefusedWholeAndACancelDropsWhatWaits) {
  ASSERT_TRUE(writer.Queue(port._hComm, std::string(PortWriter::kQueueLimit, 'a'), SendPacing{1000, 0}, true));
  // The first byte may already have gone: two more bytes never fit while a second waits.
  EXPECT_FALSE(writer.Queue(port._hComm, "bb", SendPacing{1000, 0}, true)) << "the queue is full";
  ASSERT_EQ(ReceiveAtFarEnd(1, 1), "a");
  EXPECT_FALSE(writer.Queue(port._hComm, "bb", SendPacing{1000, 0}, true)) << "the send in hand still waits";
  const auto start = std::chrono::steady_clock::now();
  writer.Cancel();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "the cancel waited for pauses";
  EXPECT_FALSE(writer.Busy());
  std::string taken;
  for (const PortWriter::SentPart& part : writer.TakeSent()) taken += part.Bytes + (part.Ends ? "|" : "");
  EXPECT_EQ(taken, "a|") << "the part that went ends its send";
  EXPECT_TRUE(NothingArrivesAtFarEnd(1));
}

}  // namespace
