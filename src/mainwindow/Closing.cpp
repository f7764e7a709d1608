// The main window and the end of the Windows session.
#include "mainwindow/MainWindow.h"

namespace purgelet {

// Windows asks whether the session may end: the window closes as from its
// title bar (its position is stored, then it hides in tray mode or the program
// ends), and the answer is yes. The clearing at shutdown is the tray window's.
bool TForm1::QueryEndSession() {
    Close();
    return true;
}

}  // namespace purgelet
