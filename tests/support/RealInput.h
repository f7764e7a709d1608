#pragma once
// Real X input for the test programs that tests/support/with_real_input.sh
// runs: each call asks the script on the host to carry out one request with
// xdotool on the display the windows are shown on, and waits until it has.
// False when no script answered or the request failed.
#include <windows.h>

#include <string>

namespace testing_support {

// The pointer moved to a screen point, and a button (1 left, 3 right) pressed and released there.
bool RealClick(POINT at, int button = 1);
bool RealMove(POINT to);
// Keys as xdotool names them ("space", "alt+F4").
bool RealKey(const std::string& keys);
// A picture of that part of the screen, BUILD/input-shots/NAME.png.
bool RealShot(const std::string& name, const RECT& part);

}  // namespace testing_support
