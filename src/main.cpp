#include <windows.h>

#include "app/Start.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return purgelet::RunProgram(instance); }
