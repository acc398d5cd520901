#pragma once
// Rescaling a window and everything in it by a factor, the way a change of
// pixels per inch does: fonts, fixed and minimum sizes, list and grid sections,
// and the window's own size.

class QWidget;

void scaleWidgetTree(QWidget* window, double factor);
