#include "comm_line_settings.h"

#include <utility>

namespace platform {
namespace {

constexpr std::pair<DWORD, speed_t> kStandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t sizeFlag(BYTE byteSize) {
  switch (byteSize) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

BYTE byteSizeOf(tcflag_t flags) {
  switch (flags & CSIZE) {
    case CS5:
      return 5;
    case CS6:
      return 6;
    case CS7:
      return 7;
    default:
      return 8;
  }
}

}  // namespace

bool isValidLineSetting(const DCB& dcb) {
  if (dcb.BaudRate == 0) return false;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return false;
  if (dcb.Parity > SPACEPARITY) return false;
  if (dcb.StopBits > TWOSTOPBITS) return false;
  if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return false;
  if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return false;
  return true;
}

speed_t standardSpeedCode(DWORD baudRate) {
  for (const auto& [rate, code] : kStandardSpeeds)
    if (rate == baudRate) return code;
  return 0;
}

DWORD rateOfSpeedCode(speed_t code) {
  for (const auto& [rate, standard] : kStandardSpeeds)
    if (standard == code) return rate;
  return 0;
}

termios termiosForDcb(const DCB& dcb, const termios& current) {
  termios settings = current;

  settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  settings.c_cflag |= sizeFlag(dcb.ByteSize) | CREAD | CLOCAL;
  switch (dcb.Parity) {
    case ODDPARITY:
      settings.c_cflag |= PARENB | PARODD;
      break;
    case EVENPARITY:
      settings.c_cflag |= PARENB;
      break;
    case MARKPARITY:
      settings.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case SPACEPARITY:
      settings.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (dcb.StopBits != ONESTOPBIT) settings.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) settings.c_cflag |= CRTSCTS;

  // Raw input: no translation, no stripping, no breaks turned into signals.
  // Parity checking marks a bad byte as 0 and leaves it in the stream.
  settings.c_iflag &=
      ~(INPCK | IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | ICRNL | IGNBRK | BRKINT | PARMRK | IGNPAR);
  if (dcb.fParity && dcb.Parity != NOPARITY) settings.c_iflag |= INPCK;
  if (dcb.fOutX) settings.c_iflag |= IXON;
  if (dcb.fInX) settings.c_iflag |= IXOFF;
  settings.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  settings.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);

  settings.c_oflag &= ~OPOST;
  settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  // With O_NONBLOCK, VMIN 1 makes an empty read fail with EAGAIN instead of
  // returning 0, which is how a hang-up reads.
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;

  const speed_t code = standardSpeedCode(dcb.BaudRate);
  if (code != 0) {
    cfsetispeed(&settings, code);
    cfsetospeed(&settings, code);
  }
  return settings;
}

void readDcbFromTermios(const termios& settings, DWORD baudRate, DCB& dcb) {
  const tcflag_t flags = settings.c_cflag;
  dcb.BaudRate = baudRate;
  dcb.ByteSize = byteSizeOf(flags);
  if (!(flags & PARENB)) {
    dcb.Parity = NOPARITY;
  } else if (flags & CMSPAR) {
    dcb.Parity = (flags & PARODD) ? MARKPARITY : SPACEPARITY;
  } else {
    dcb.Parity = (flags & PARODD) ? ODDPARITY : EVENPARITY;
  }
  if (!(flags & CSTOPB)) {
    dcb.StopBits = ONESTOPBIT;
  } else {
    dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
  }
  dcb.fBinary = 1;
  dcb.fParity = (settings.c_iflag & INPCK) ? 1 : 0;
  const bool hardwareFlow = (flags & CRTSCTS) != 0;
  dcb.fOutxCtsFlow = hardwareFlow ? 1 : 0;
  if (hardwareFlow) {
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  } else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) {
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
  }
  dcb.fOutX = (settings.c_iflag & IXON) ? 1 : 0;
  dcb.fInX = (settings.c_iflag & IXOFF) ? 1 : 0;
  dcb.XonChar = static_cast<char>(settings.c_cc[VSTART]);
  dcb.XoffChar = static_cast<char>(settings.c_cc[VSTOP]);
}

}  // namespace platform
