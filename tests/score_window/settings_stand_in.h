#pragma once
// Stands in for the settings windows w_xm_dx1..3: a modal window that, once shown, runs the next
// action a test has queued (save a row, remove it, break the table, or nothing) and closes.
#include <QWidget>
#include <deque>
#include <functional>

namespace standin {

// Actions for the next openings, in order; an opening without one closes without saving.
std::deque<std::function<void()>> &actions();
int &openings();
void registerSettingsWindows();

} // namespace standin
