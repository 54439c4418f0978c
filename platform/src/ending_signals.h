// SIGTERM, SIGINT, SIGHUP and SIGQUIT end this program as Windows ends a
// program whose session ends: its top-level windows are told with
// WM_ENDSESSION and close as their close does, putting their ports' lines
// back. Without a window, or when the windows have not let the process go
// within the limit, or at a second signal, the last resort runs: the lines
// get back their settings and lose their exclusive claim, the lock files go,
// and the signal ends the process as it would have.
#pragma once

namespace platform {

// Takes the ending signals, once (at the first lock file or top-level
// window). Handlers that others set are left alone, and so is a hang-up
// ignored as nohup asks.
void handleEndingSignals();

// From the first top-level window on: an ending signal is posted to the
// top-level windows as WM_ENDSESSION.
void closeWindowsAtEndingSignals();

}  // namespace platform
