// The layout is fixed in size; the font is what gives. One measure of each caption serves to
// choose the font and to check that every caption fits.
#pragma once

class EvenTabBar;
class QWidget;

// Sets the largest size of the desktop's font (6 to 9 pt, in quarter points) at which every
// caption below `central` and on the strip fits its control.
void fitFont(QWidget& central, EvenTabBar& strip);
// Whether every caption fits its control at the fonts the controls have now.
bool captionsFit(const QWidget& central, const EvenTabBar& strip);
