// The process-wide worker thread, constructed with its thread when the
// program starts and destroyed at exit (after the log).
#pragma once

#include "WorkerThread.h"

extern WorkerThread TheWorkerThread;
