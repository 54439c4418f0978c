// The Win32 subset that this program is written against, implemented on
// POSIX (and, for windows and message boxes, by the widget toolkit).
#pragma once

#include "win32/assertion.h"
#include "win32/code_pages.h"
#include "win32/comm.h"
#include "win32/device_control.h"
#include "win32/errors.h"
#include "win32/files.h"
#include "win32/folders.h"
#include "win32/memory.h"
#include "win32/messaging.h"
#include "win32/processes.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/sync.h"
#include "win32/threads.h"
#include "win32/types.h"
