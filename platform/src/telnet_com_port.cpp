#include "telnet_com_port.h"

namespace platform::telnet {

void appendData(std::string& out, const unsigned char* data, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    out.push_back(static_cast<char>(data[i]));
    if (data[i] == IAC) out.push_back(static_cast<char>(IAC));
  }
}

void appendComPortCommand(std::string& out, ComPortCommand command, const std::vector<unsigned char>& value) {
  const unsigned char head[] = {IAC, SB, kComPortOption, command};
  out.append(reinterpret_cast<const char*>(head), sizeof head);
  appendData(out, value.data(), value.size());
  out.push_back(static_cast<char>(IAC));
  out.push_back(static_cast<char>(SE));
}

size_t Reader::read(const unsigned char* bytes, size_t count, unsigned char* data, Handler& handler) {
  size_t dataCount = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char byte = bytes[i];
    switch (state_) {
      case State::Data:
        if (byte == IAC)
          state_ = State::Command;
        else
          data[dataCount++] = byte;
        break;
      case State::Command:
        state_ = State::Data;
        if (byte == IAC) {
          data[dataCount++] = IAC;
        } else if (byte == WILL || byte == WONT || byte == DO || byte == DONT) {
          verb_ = byte;
          state_ = State::Option;
        } else if (byte == SB) {
          sub_.clear();
          subTooLong_ = false;
          state_ = State::Sub;
        }
        // Any other command (NOP, GA, DM, a stray SE) carries nothing here.
        break;
      case State::Option:
        handler.optionCommand(verb_, byte);
        state_ = State::Data;
        break;
      case State::Sub:
        if (byte == IAC) {
          state_ = State::SubCommand;
        } else if (sub_.size() < kLongestSubnegotiation) {
          sub_.push_back(byte);
        } else {
          subTooLong_ = true;
        }
        break;
      case State::SubCommand:
        if (byte == IAC) {
          // A doubled IAC inside the subnegotiation is one byte of it.
          if (sub_.size() < kLongestSubnegotiation)
            sub_.push_back(IAC);
          else
            subTooLong_ = true;
          state_ = State::Sub;
        } else if (byte == SE) {
          if (!subTooLong_) handler.subnegotiation(sub_);
          state_ = State::Data;
        } else {
          // IAC and another command inside a subnegotiation: the server
          // broke it off; what follows is read afresh.
          state_ = State::Command;
          --i;
        }
        break;
    }
  }
  return dataCount;
}

bool Options::wanted(unsigned char option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}

void Options::start(std::string& out) {
  auto request = [&](unsigned char verb, unsigned char option, Side& side) {
    side = Side::WantYes;
    const unsigned char command[] = {IAC, verb, option};
    out.append(reinterpret_cast<const char*>(command), sizeof command);
  };
  for (unsigned char option : {kBinary, kSuppressGoAhead}) {
    request(WILL, option, options_[option].ours);
    request(DO, option, options_[option].theirs);
  }
  request(WILL, kComPortOption, options_[kComPortOption].ours);
}

void Options::received(unsigned char verb, unsigned char option, std::string& out) {
  Option& state = options_[option];
  auto answer = [&](unsigned char reply) {
    const unsigned char command[] = {IAC, reply, option};
    out.append(reinterpret_cast<const char*>(command), sizeof command);
  };
  const bool forUs = verb == DO || verb == DONT;
  Side& side = forUs ? state.ours : state.theirs;
  const bool positive = verb == DO || verb == WILL;
  const unsigned char agree = forUs ? WILL : DO;
  const unsigned char refuse = forUs ? WONT : DONT;
  if (positive) {
    if (side == Side::Yes) return;
    if (side == Side::WantYes) {
      side = Side::Yes;  // the answer to our request
      return;
    }
    if (wanted(option)) {
      side = Side::Yes;
      answer(agree);
      return;
    }
    bool& refused = forUs ? state.refusedOurs : state.refusedTheirs;
    if (!refused) answer(refuse);
    refused = true;
    return;
  }
  // WONT or DONT: the option is off on that side; only turning off one that
  // was on is answered.
  if (side == Side::Yes) answer(refuse);
  side = Side::No;
}

bool Options::comPortAgreed() const {
  const Option& option = options_[kComPortOption];
  return option.ours == Side::Yes || option.theirs == Side::Yes;
}

bool Options::comPortRefused() const {
  const Option& option = options_[kComPortOption];
  return option.ours == Side::No && option.theirs != Side::Yes;
}

}  // namespace platform::telnet
