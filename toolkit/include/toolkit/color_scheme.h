// The colours the windows are drawn in. The classic scheme (the default)
// draws the system colours (clWindow, clBtnFace…) as the classic desktop's
// fixed values on every machine. The desktop scheme takes them from the
// desktop's own palette, light or dark as it reports it; the dark scheme
// from a dark palette of the toolkit's. In a dark palette a colour the
// program gives a background is drawn with its lightness turned over (a
// silver area becomes a dark grey one), and a text colour is lightened or
// darkened until it reads on what is under it.
#pragma once

#include "toolkit/colors.h"

enum TColorScheme { csClassic, csDesktop, csDark };

// Takes effect at once in every window, control and text shown.
void SetColorScheme(TColorScheme Scheme);
TColorScheme GetColorScheme();
// Whether the colours in effect are a dark palette's.
bool DarkColors();

// The contrast of two colours as the web's accessibility guidelines
// measure it: 1 (none) to 21 (black on white); text wants 4.5.
double ContrastRatio(TColor A, TColor B);
// The colour a background given as Back is drawn with.
TColor BackColorInEffect(TColor Back);
// The colour text given as Text is drawn with on a background drawn Back
// (a colour in effect, as BackColorInEffect gives).
TColor TextColorInEffect(TColor Text, TColor Back);
// The colour of text with no colour of its own, and of its background.
TColor PlainTextColor();
TColor PlainBackColor();
