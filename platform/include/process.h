// The C runtime's thread start.
#pragma once

#include "win32/types.h"

typedef unsigned(__stdcall* _beginthreadex_proc_type)(void*);

// Returns the new thread's handle, or 0 on failure.
uintptr_t _beginthreadex(void* security, unsigned stack_size, _beginthreadex_proc_type start_address, void* arglist,
                         unsigned initflag, unsigned* thrdaddr);
