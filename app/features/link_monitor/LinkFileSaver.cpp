// A live file of the link's record.
#include "LinkFileSaver.h"

#include "LinkRowText.h"
#include "PcapngBlocks.h"

namespace {

// How long a writer may write nothing before it is taken to be stuck.
constexpr DWORD kWriterStallMs = 500;

}  // namespace

LinkFileSaver::~LinkFileSaver() { Close(); }

bool LinkFileSaver::Open(const std::string& Path, Format Kind_, bool Hex_) {
  Close();
  auto writer = std::make_unique<FileAppender>();
  LastError = writer->Start(Path.c_str());
  if (LastError != ERROR_SUCCESS) return false;
  Writer = std::move(writer);
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
  if (!Writer->Taking()) return Failed();
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
  return Writer->Append(Bytes.data(), static_cast<DWORD>(Bytes.size())) || Failed();
}

bool LinkFileSaver::Failed() {
  LastError = Writer->Overflowed() ? ERROR_NOT_ENOUGH_QUOTA : Writer->Error();
  Close();
  return false;
}

void LinkFileSaver::Close() {
  if (!Writer) return;
  Writer->Finish();
  if (Retire)
    Retire(std::move(Writer));
  else if (!Writer->EndWhileWriting(kWriterStallMs))
    static_cast<void>(Writer.release());  // stuck in a write: left to the ending process
  Writer.reset();
}
