#pragma once
// The look and feel every window shares, set once on the application: lists
// of a sensible height, and date and time fields that take typed digits
// after a click.
class QApplication;

namespace k71t {

// Drop-down lists open as a scrolling list of their visible items (never as
// tall as the screen).
void applyUiStyle(QApplication &app);

// Rows a long drop-down list shows before it scrolls.
constexpr int ListRows = 20;

} // namespace k71t
