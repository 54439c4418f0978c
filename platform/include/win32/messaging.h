// Window messages and message boxes. The widget toolkit creates the windows
// (kestrix/window_messaging.h); a handle that names no window makes
// PostMessageA and SendMessageA fail with ERROR_INVALID_WINDOW_HANDLE and
// IsWindow answer FALSE. Until the toolkit shows message boxes, MessageBoxA
// writes its caption and text to standard error and answers IDOK.
#pragma once

#include "win32/types.h"

#define WM_NULL 0x0000
#define WM_CLOSE 0x0010
#define WM_ENDSESSION 0x0016
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_DEVICECHANGE 0x0219
#define WM_USER 0x0400

// wParam of WM_DEVICECHANGE. DBT_DEVNODES_CHANGED (lParam 0) is what every
// top-level window hears when devices come or go.
#define DBT_DEVNODES_CHANGED 0x0007
#define DBT_DEVICEARRIVAL 0x8000
#define DBT_DEVICEREMOVECOMPLETE 0x8004

// WM_ENDSESSION: wParam TRUE when the session ends; lParam says why. The
// program is not asked first (no WM_QUERYENDSESSION), as in a forced end.
#define ENDSESSION_CLOSEAPP 0x00000001
#define ENDSESSION_LOGOFF 0x80000000

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_OEM_PLUS 0xBB
#define VK_OEM_MINUS 0xBD

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_ICONHAND 0x00000010L
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI IsWindow(HWND hWnd);
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
