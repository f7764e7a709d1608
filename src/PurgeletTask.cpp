// PurgeletTask: the command line for scheduled tasks and logon runs. It is
// built for the GUI subsystem, so Windows opens no console for it, and it
// makes no window; without arguments it runs the stored unattended clearing.
#include <windows.h>

#include "command/Command.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return purgelet::CommandMain(L"PurgeletTask", {L"clear", L"--chosen", L"--quiet"});
}
