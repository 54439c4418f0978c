// A live file of the link's record.
#include "LinkFileSaver.h"

#include "LinkRowText.h"
#include "PcapngBlocks.h"

LinkFileSaver::~LinkFileSaver() { Close(); }

bool LinkFileSaver::Open(const std::string& Path, Format Kind_, bool Hex_) {
  Close();
  File =
      CreateFileA(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) {
    LastError = GetLastError();
    return false;
  }
  Kind = Kind_;
  Hex = Hex_;
  Interfaces.clear();
  PreviousEnd = 0;
  FramesWritten = 0;
  FramesMissed = 0;
  NextSequence = ~0ULL;  // the first write starts from what the record holds
  return Kind == Format::Text || Write(PcapngSectionHeader("Kestrix link monitor"));
}

std::string LinkFileSaver::FrameBytes(const LinkFrame& Frame) {
  if (Kind == Format::Text) {
    std::string row = LinkRowText(Frame, PreviousEnd, Hex, CodePages[Frame.Port]) + "\r\n";
    PreviousEnd = Frame.End;
    return row;
  }
  std::string blocks;
  const auto key = std::make_pair(Frame.Port, Frame.Name);
  auto found = Interfaces.find(key);
  if (found == Interfaces.end()) {
    // An interface is described before its first packet, wherever that is.
    found = Interfaces.emplace(key, static_cast<DWORD>(Interfaces.size())).first;
    blocks += PcapngInterface(Frame.Name);
  }
  return blocks + PcapngPacket(found->second, Frame);
}

bool LinkFileSaver::WriteNew(const LinkRecord& Record) {
  if (!IsOpen()) return false;
  const std::deque<LinkFrame>& frames = Record.Frames();
  if (frames.empty()) return true;
  const ULONGLONG first = frames.front().Sequence;
  if (NextSequence == ~0ULL) NextSequence = first;
  if (NextSequence < first) {
    FramesMissed += first - NextSequence;
    NextSequence = first;
  }
  std::string bytes;
  for (size_t index = static_cast<size_t>(NextSequence - first); index < frames.size(); ++index) {
    bytes += FrameBytes(frames[index]);
    ++FramesWritten;
  }
  NextSequence = Record.NextSequence();
  return bytes.empty() || Write(bytes);
}

bool LinkFileSaver::Write(const std::string& Bytes) {
  DWORD written = 0;
  if (WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &written, nullptr) && written == Bytes.size())
    return true;
  LastError = GetLastError();
  if (LastError == ERROR_SUCCESS) LastError = ERROR_DISK_FULL;  // a short write with no error
  Close();
  return false;
}

void LinkFileSaver::Close() {
  if (File == INVALID_HANDLE_VALUE) return;
  CloseHandle(File);
  File = INVALID_HANDLE_VALUE;
}
