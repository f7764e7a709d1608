// Starts the built program itself inside the test prefix.
#include <gtest/gtest.h>

#include "support/TestSupport.h"

using namespace testing_support;

TEST(ProgramExe, SecondCopyShowsOneInformationBoxAndEndsWhileTheFirstRuns) {
    RegDeleteTree(SettingsKey());
    StartedProgram first(ProgramExe());
    ASSERT_TRUE(first);
    HWND main = WaitForWindow(kProgramName, nullptr, 30000, first.Id());
    ASSERT_NE(main, nullptr) << "the main window did not appear";
    // The caption is set during creation, a moment before the window is shown.
    for (int i = 0; i < 100 && !IsWindowVisible(main); ++i) Sleep(100);
    EXPECT_TRUE(IsWindowVisible(main));

    StartedProgram second(ProgramExe());
    ASSERT_TRUE(second);
    HWND box = WaitForWindow("Purgelet", "#32770", 30000, second.Id());
    ASSERT_NE(box, nullptr) << "the second copy showed no message box";
    // The box exists a moment before its text does; the second copy goes
    // idle once it waits in the box, having made no main window of its own.
    WaitForInputIdle(second.Handle(), 30000);
    for (int i = 0; i < 50 && DialogText(box).empty(); ++i) Sleep(100);
    EXPECT_EQ(DialogText(box), std::string(kProgramName) + " is already running.");
    EXPECT_EQ(WaitForWindow(kProgramName, nullptr, 0, second.Id()), nullptr);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(second.Handle(), 20000), WAIT_OBJECT_0);

    // The first copy is undisturbed.
    EXPECT_EQ(WaitForSingleObject(first.Handle(), 0), WAIT_TIMEOUT);
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(first.End(main));
    EXPECT_EQ(RegGetString(SettingsKey(), "MainTop").empty(), false) << "closing stores the position";
    RegDeleteTree(SettingsKey());
}

// A stored position of 100,000 digits: the error box echoes a short excerpt of
// it and the main window comes up. Ended from outside, the program leaves the
// value stored, so the second start meets it (and its box) as well.
TEST(ProgramExe, OversizedStoredPositionIsEchoedShortAndEveryStartGoesOn) {
    RegDeleteTree(SettingsKey());
    const std::string digits(100000, '7');
    RegSetString(SettingsKey(), "MainTop", digits);
    for (int start = 1; start <= 2; ++start) {
        StartedProgram program(ProgramExe());
        ASSERT_TRUE(program);
        HWND box = WaitForWindow("Purgelet", "#32770", 30000, program.Id());
        ASSERT_NE(box, nullptr) << "no error box at start " << start;
        std::string text;
        for (int i = 0; i < 50 && (text = DialogText(box)).empty(); ++i) Sleep(100);
        EXPECT_LE(text.size(), 300u) << "start " << start;
        EXPECT_TRUE(text.starts_with("'7777777777777777777")) << text;
        EXPECT_TRUE(text.ends_with("7' is not a valid integer value.")) << text;
        EXPECT_NE(text.find("..."), std::string::npos) << text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        HWND main = WaitForWindow(kProgramName, nullptr, 30000, program.Id());
        ASSERT_NE(main, nullptr) << "no main window at start " << start;
        for (int i = 0; i < 100 && !IsWindowVisible(main); ++i) Sleep(100);
        EXPECT_TRUE(IsWindowVisible(main)) << "start " << start;
        EXPECT_EQ(WaitForSingleObject(program.Handle(), 0), WAIT_TIMEOUT) << "start " << start;
    }
    RegDeleteTree(SettingsKey());
}
