// The Win32 communications functions, on the serial ports of the serial
// device map.
#pragma once

#include "win32/types.h"

#define EV_RXCHAR 0x0001
#define EV_RXFLAG 0x0002
#define EV_TXEMPTY 0x0004
#define EV_CTS 0x0008
#define EV_DSR 0x0010
#define EV_RLSD 0x0020
#define EV_BREAK 0x0040
#define EV_ERR 0x0080
#define EV_RING 0x0100

#define CE_RXOVER 0x0001
#define CE_OVERRUN 0x0002
#define CE_RXPARITY 0x0004
#define CE_FRAME 0x0008
#define CE_BREAK 0x0010
#define CE_TXFULL 0x0100

#define MS_CTS_ON 0x0010
#define MS_DSR_ON 0x0020
#define MS_RING_ON 0x0040
#define MS_RLSD_ON 0x0080

// EscapeCommFunction's functions.
#define SETXOFF 1
#define SETXON 2
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6
#define SETBREAK 8
#define CLRBREAK 9

#define PURGE_TXABORT 0x0001
#define PURGE_RXABORT 0x0002
#define PURGE_TXCLEAR 0x0004
#define PURGE_RXCLEAR 0x0008

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4

#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define DTR_CONTROL_DISABLE 0x00
#define DTR_CONTROL_ENABLE 0x01
#define DTR_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_DISABLE 0x00
#define RTS_CONTROL_ENABLE 0x01
#define RTS_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_TOGGLE 0x03

// GetCommProperties: the kind of port (dwProvSubType), what it can do
// (dwProvCapabilities) and which settings it takes (dwSettableParams).
#define SP_SERIALCOMM 0x00000001
#define PST_UNSPECIFIED 0x00000000
#define PST_RS232 0x00000001
#define PST_NETWORK_BRIDGE 0x00000100
#define PST_TCPIP_TELNET 0x00000102
#define PCF_DTRDSR 0x0001
#define PCF_RTSCTS 0x0002
#define PCF_RLSD 0x0004
#define PCF_PARITY_CHECK 0x0008
#define PCF_XONXOFF 0x0010
#define PCF_TOTALTIMEOUTS 0x0040
#define SP_PARITY 0x0001
#define SP_BAUD 0x0002
#define SP_DATABITS 0x0004
#define SP_STOPBITS 0x0008
#define SP_HANDSHAKING 0x0010
#define SP_PARITY_CHECK 0x0020
#define SP_RLSD 0x0040
#define BAUD_USER 0x10000000
#define DATABITS_5 0x0001
#define DATABITS_6 0x0002
#define DATABITS_7 0x0004
#define DATABITS_8 0x0008
#define STOPBITS_10 0x0001
#define STOPBITS_15 0x0002
#define STOPBITS_20 0x0004
#define PARITY_NONE 0x0100
#define PARITY_ODD 0x0200
#define PARITY_EVEN 0x0400
#define PARITY_MARK 0x0800
#define PARITY_SPACE 0x1000

#define CBR_110 110
#define CBR_300 300
#define CBR_600 600
#define CBR_1200 1200
#define CBR_2400 2400
#define CBR_4800 4800
#define CBR_9600 9600
#define CBR_14400 14400
#define CBR_19200 19200
#define CBR_38400 38400
#define CBR_57600 57600
#define CBR_115200 115200

struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
typedef DCB* LPDCB;
static_assert(sizeof(DCB) == 28, "DCB keeps its Win32 layout");

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
typedef COMMTIMEOUTS* LPCOMMTIMEOUTS;
static_assert(sizeof(COMMTIMEOUTS) == 20);

struct COMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;
  DWORD cbOutQue;
};
typedef COMSTAT* LPCOMSTAT;
static_assert(sizeof(COMSTAT) == 12);

typedef struct _COMMPROP {
  WORD wPacketLength;
  WORD wPacketVersion;
  DWORD dwServiceMask;
  DWORD dwReserved1;
  DWORD dwMaxTxQueue;
  DWORD dwMaxRxQueue;
  DWORD dwMaxBaud;
  DWORD dwProvSubType;
  DWORD dwProvCapabilities;
  DWORD dwSettableParams;
  DWORD dwSettableBaud;
  WORD wSettableData;
  WORD wSettableStopParity;
  DWORD dwCurrentTxQueue;
  DWORD dwCurrentRxQueue;
  DWORD dwProvSpec1;
  DWORD dwProvSpec2;
  char16_t wcProvChar[1];  // WCHAR
} COMMPROP, *LPCOMMPROP;

BOOL WINAPI BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB);
BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB);
BOOL WINAPI SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts);
BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags);
BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat);
BOOL WINAPI SetCommMask(HANDLE hFile, DWORD dwEvtMask);
BOOL WINAPI WaitCommEvent(HANDLE hFile, LPDWORD lpEvtMask, LPOVERLAPPED lpOverlapped);
BOOL WINAPI GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat);
// Raises or drops DTR or RTS, starts or ends a break, or acts as if XOFF or
// XON arrived. DTR and RTS fail with ERROR_NOT_SUPPORTED on a device without
// modem lines (a pseudo-terminal).
BOOL WINAPI EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
// What the port is and which settings it takes. A local port is PST_RS232.
// A port served over the network by an RFC 2217 server is PST_TCPIP_TELNET;
// its provider words say which settings the server has not confirmed so far
// (dwProvSpec1: no answer within the answer time) and which it set
// otherwise than asked after that time (dwProvSpec2), as SP_BAUD,
// SP_DATABITS, SP_PARITY, SP_STOPBITS, SP_HANDSHAKING and the
// PROV_SPEC_* bits below. A raw TCP port is PST_NETWORK_BRIDGE and takes no
// setting (dwSettableParams 0): the far end's own settings apply.
#define PROV_SPEC_DTR 0x0100
#define PROV_SPEC_RTS 0x0200
#define PROV_SPEC_BREAK 0x0400
BOOL WINAPI GetCommProperties(HANDLE hFile, LPCOMMPROP lpCommProp);
