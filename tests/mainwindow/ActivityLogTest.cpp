#include <gtest/gtest.h>

#include "mainwindow/ActivityLog.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "support/TestSupport.h"

using namespace purgelet;

namespace {
class LogForm : public ui::Form {
public:
    explicit LogForm(ui::Application& app) : Form(app, "LogForm", {0, 0, 300, 300}, "Log") {}
    ui::ListBox list{this, "list", {0, 0, 200, 200}};
};
}  // namespace

TEST(ActivityLog, OpeningLinesReplaceEverythingAndLinesAreOnlyAppended) {
    testing_support::ProgramFixture fx;
    auto& form = fx.app.CreateForm<LogForm>();
    ActivityLog log(form.list);
    log.Add("old line");
    SYSTEMTIME day{};
    day.wYear = 2005;
    day.wMonth = 3;
    day.wDay = 9;
    log.FillOpeningLines(day);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"Ovk", "Log", "", "Today is 09 Mar 2005"}));
    EXPECT_EQ(SendMessageA(form.list.Handle(), LB_GETCOUNT, 0, 0), 4);
    log.Add("Executed clearing of typed URLs");
    char text[256] = {};
    SendMessageA(form.list.Handle(), LB_GETTEXT, 4, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Executed clearing of typed URLs");
    log.Clear();
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(SendMessageA(form.list.Handle(), LB_GETCOUNT, 0, 0), 0);
}
