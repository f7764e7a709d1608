// The list view and popup menu controls the cookie window is built from,
// reached the way a user reaches them: through the window's own messages.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "framework/Form.h"
#include "framework/ListView.h"
#include "framework/Menu.h"
#include "support/Input.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;

namespace {
class ListForm : public ui::Form {
public:
    explicit ListForm(ui::Application& app) : Form(app, "ListForm", {40, 40, 520, 320}, "List test") {
        lv.AddColumn("Name", 100);
        lv.AddColumn("Size", 60);
        lv.AddColumn("Note", 80);
        lv.popupMenu = &pm;
    }
    ui::ListView lv{this, "lv", {8, 8, 480, 260}};
    ui::PopupMenu pm{*this, "pm"};
    ui::MenuItem first{pm, "first", "First"};
    ui::MenuItem second{pm, "second", "Second"};
};

std::string WindowText(const ui::ListView& lv, int item, int column) {
    char buf[256] = {};
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = buf;
    it.cchTextMax = sizeof(buf);
    SendMessageA(lv.Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return buf;
}

std::vector<std::string> WindowColumn(const ui::ListView& lv, int column) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(lv.Handle(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) out.push_back(WindowText(lv, i, column));
    return out;
}
}  // namespace

TEST(ListView, TheWindowShowsTheKeptTextsAndAClickOnABoxChecksIt) {
    ProgramFixture fx;
    auto& f = fx.app.CreateForm<ListForm>();
    f.Show();
    f.lv.AddItem("alpha", {"1", "first"});
    f.lv.AddItem("beta");
    f.lv.AddItem("gamma", {"3"});
    EXPECT_EQ(WindowColumn(f.lv, 0), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(WindowColumn(f.lv, 2), (std::vector<std::string>{"first", "", ""}));
    f.lv.SetText(1, 2, "set later");
    EXPECT_EQ(f.lv.Item(1).subItems, (std::vector<std::string>{"", "set later"}));
    EXPECT_EQ(WindowText(f.lv, 1, 2), "set later");

    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(f.lv.Handle(), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&bounds));
    LVHITTESTINFO hit{};
    for (int x = bounds.left; x < bounds.left + 40 && !(hit.flags & LVHT_ONITEMSTATEICON); ++x) {
        hit.pt = POINT{x, (bounds.top + bounds.bottom) / 2};
        SendMessageA(f.lv.Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    }
    ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON);
    TrackedClick(f.lv.Handle(), hit.pt);
    EXPECT_TRUE(f.lv.Checked(2));
    EXPECT_FALSE(f.lv.Checked(1));
    // The window keeps no rows; it shows the list's marks and flips them
    // with the space bar on the focused row.
    EXPECT_TRUE(GetWindowLongA(f.lv.Handle(), GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_EQ(SendMessageA(f.lv.Handle(), LVM_GETITEMSTATE, 2, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    f.lv.SetFocusedIndex(1);
    SendMessageA(f.lv.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(f.lv.Checked(1));
    SendMessageA(f.lv.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(f.lv.Checked(1));
    SendMessageA(f.lv.Handle(), WM_CHAR, 'G', 1);  // typing finds a row by its caption
    EXPECT_EQ(f.lv.FocusedIndex(), 2);

    f.lv.DeleteItem(0);
    EXPECT_EQ(WindowColumn(f.lv, 0), (std::vector<std::string>{"beta", "gamma"}));
    EXPECT_TRUE(f.lv.Checked(1));
    EXPECT_THROW(f.lv.DeleteItem(2), Error);
    f.Hide();
}

TEST(ListView, SortingIsStableMovesCheckMarksAlongAndAFailingCompareChangesNothing) {
    ProgramFixture fx;
    auto& f = fx.app.CreateForm<ListForm>();
    const char* rows[][2] = {{"a", "2"}, {"b", "1"}, {"c", "2"}, {"d", "1"}, {"e", "0"}};
    for (auto& r : rows) f.lv.AddItem(r[0], {r[1]});
    f.lv.SetChecked(2, true);   // "c"
    f.lv.SetSelected(0, true);  // "a"
    f.lv.onCompare = [](const ui::ListItem& x, const ui::ListItem& y) {
        return x.Text(1) < y.Text(1) ? -1 : (y.Text(1) < x.Text(1) ? 1 : 0);
    };
    f.lv.Sort();
    const std::vector<std::string> sorted{"e", "b", "d", "a", "c"};
    EXPECT_EQ(WindowColumn(f.lv, 0), sorted);
    EXPECT_EQ(f.lv.Item(4).caption, "c");
    EXPECT_TRUE(f.lv.Checked(4));
    EXPECT_FALSE(f.lv.Checked(2));
    EXPECT_EQ(f.lv.SelectedIndices(), std::vector<int>{3});

    int calls = 0;
    f.lv.onCompare = [&](const ui::ListItem&, const ui::ListItem&) -> int {
        if (++calls == 3) throw ConvertError("bad cell");
        return 1;
    };
    EXPECT_THROW(f.lv.Sort(), ConvertError);
    EXPECT_EQ(WindowColumn(f.lv, 0), sorted);
    EXPECT_EQ(f.lv.Item(0).caption, "e");
}

TEST(ListView, HeaderClicksAndUpdateBrackets) {
    ProgramFixture fx;
    auto& f = fx.app.CreateForm<ListForm>();
    f.Show();
    std::vector<int> clicked;
    f.lv.onColumnClick = [&](int column) { clicked.push_back(column); };
    HWND header = reinterpret_cast<HWND>(SendMessageA(f.lv.Handle(), LVM_GETHEADER, 0, 0));
    for (int column : {2, 0}) {
        RECT r{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
        TrackedClick(header, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    EXPECT_EQ(clicked, (std::vector<int>{2, 0}));

    // Columns with automatic sizing are fitted when the outermost bracket closes.
    f.lv.SetColumnAutoSize(2, true);
    const int narrow = f.lv.ColumnWidth(2), fixed = f.lv.ColumnWidth(1);
    f.lv.BeginUpdate();
    f.lv.BeginUpdate();
    f.lv.AddItem("x", {std::string(80, 'w'), std::string(80, 'w')});
    f.lv.EndUpdate();
    EXPECT_EQ(f.lv.ColumnWidth(2), narrow);
    f.lv.EndUpdate();
    EXPECT_GT(f.lv.ColumnWidth(2), narrow);
    EXPECT_EQ(f.lv.ColumnWidth(1), fixed);
    f.Hide();
}

TEST(PopupMenu, ARightClickRunsOnPopupShowsTheMenuAndRunsTheChosenItem) {
    ProgramFixture fx;
    auto& f = fx.app.CreateForm<ListForm>();
    f.Show();
    f.lv.AddItem("row");
    std::vector<std::string> events;
    f.pm.onPopup = [&] {
        events.push_back("popup");
        // Chooses the first item from the keyboard once the menu runs.
        PostKeys(f.lv.Handle(), {VK_DOWN, VK_RETURN});
    };
    f.first.onClick = [&] { events.push_back("first"); };
    {
        MenuWatch closeIfMissed;  // should the menu not take the keys
        TrackedClick(f.lv.Handle(), POINT{20, 40}, Mouse::Right);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"popup", "first"}));
    f.second.SetEnabled(false);
    EXPECT_EQ(GetMenuState(f.pm.Handle(), f.second.Id(), MF_BYCOMMAND) & MF_GRAYED, UINT(MF_GRAYED));
    f.Hide();
}
