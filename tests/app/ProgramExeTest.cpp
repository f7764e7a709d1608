// Starts the built program itself inside the test prefix.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

namespace {
constexpr char kMainCaption[] = "Ovk Purgelet v2.0.3";

DWORD ProcessIdOf(HANDLE process) { return GetProcessId(process); }

void EndProgram(HANDLE process, HWND main) {
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}
}  // namespace

TEST(ProgramExe, SecondCopyShowsOneInformationBoxAndEndsWhileTheFirstRuns) {
    RegDeleteTree(SettingsKey());
    HANDLE first = Start(ProgramExe());
    ASSERT_NE(first, nullptr);
    HWND main = WaitForWindow(kMainCaption, nullptr, 30000, ProcessIdOf(first));
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    // The caption is set during creation, a moment before the window is shown.
    for (int i = 0; i < 100 && !IsWindowVisible(main); ++i) Sleep(100);
    EXPECT_TRUE(IsWindowVisible(main));

    HANDLE second = Start(ProgramExe());
    ASSERT_NE(second, nullptr);
    HWND box = WaitForWindow("Purgelet", "#32770", 30000, ProcessIdOf(second));
    ASSERT_NE(box, nullptr) << "the second copy showed no message box";
    EXPECT_EQ(DialogText(box), "Ovk Purgelet v2.0.3 is already running.");
    // The second copy made no main window of its own.
    EXPECT_EQ(WaitForWindow(kMainCaption, nullptr, 500, ProcessIdOf(second)), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(second, 20000), WAIT_OBJECT_0);
    CloseHandle(second);

    // The first copy is undisturbed.
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(IsWindow(main));
    EndProgram(first, main);
    EXPECT_EQ(RegGetString(SettingsKey(), "MainTop").empty(), false) << "closing stores the position";
    RegDeleteTree(SettingsKey());
}
