// The one worker thread of the program, started when the program starts.
#include "TheWorkerThread.h"

WorkerThread TheWorkerThread;
