// A scroll bar drawn by the application's style in strips of a few rows.
#pragma once

class QScrollBar;

// Has `bar` drawn in strips: see the source for why.
void PaintInStrips(QScrollBar* bar);
