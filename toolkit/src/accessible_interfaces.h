// What assistive technology sees of the toolkit's windows and combo boxes.
#pragma once

// Makes every combo box speak a name: its AccessibleName, else the caption
// of the label whose FocusControl it is, else its text (Qt's own interface
// on Linux always gives the text, so a reader would say "9600" and never
// what the box is for). A form reads as a window (a frame), not as a
// filler. Called once the Qt application exists.
void InstallAccessibleInterfaces();
