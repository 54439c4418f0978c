// The macros that make device control codes, where the Win32 headers have
// them, outside windows.h's usual set here.
#pragma once

#include <windows.h>

#define CTL_CODE(DeviceType, Function, Method, Access) \
  (((DeviceType) << 16) | ((Access) << 14) | ((Function) << 2) | (Method))
#define METHOD_BUFFERED 0
#define FILE_ANY_ACCESS 0
#define FILE_DEVICE_SERIAL_PORT 0x0000001b
