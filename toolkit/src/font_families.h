// The Windows font names a form asks for, drawn with the fonts a Linux
// desktop has.
#pragma once

// Makes each Windows family name stand for a list of look-alikes, the
// first installed one taken, with Chinese fonts after them for the
// characters the first lacks. Without this, fontconfig's default (often
// the wide DejaVu Sans) takes the place of the narrow MS Sans Serif and the
// window's fixed control sizes clip their texts.
void InstallFontSubstitutes();
