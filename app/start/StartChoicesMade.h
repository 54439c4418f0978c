// Making the command line's choices in the window, as the user would: the
// texts go into the panels' combo boxes, and with --open each panel given a
// port is opened by its Open button (a port that cannot be opened is told
// as a click would tell it).
#pragma once

#include "CommandLine.h"

class TForm1;

void MakeStartChoices(TForm1& Form, const StartChoices& Choices);
