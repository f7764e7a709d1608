// The Kept sites dialog with a name that many sites share: typed, it is
// refused with its reason; stored by an earlier version, it is listed so that
// Remove can take it out.
#include <gtest/gtest.h>

#include "cookies/KeptSitesDialog.h"
#include "core/KeptSites.h"
#include "support/TestSupport.h"

using namespace purgelet;
using namespace testing_support;
using V = std::vector<std::string>;

TEST(KeptSitesDialog, ANameManySitesShareIsRefusedAndAStoredOneCanBeRemoved) {
    RegDeleteTree(SettingsKey());
    const std::string keep = KeptSitesKey(SettingsKey());
    ProgramFixture fx;
    fx.state.SettingsKey = SettingsKey();
    TKeptSites& dialog = fx.app.CreateForm<TKeptSites>(fx.state);
    const auto rows = [&dialog] {
        V out;
        for (int i = 0; i < dialog.lvSites.Count(); ++i) out.push_back(dialog.lvSites.Item(i).caption);
        return out;
    };

    dialog.edSite.SetText("co.uk");
    dialog.btnAdd.Click();
    ASSERT_EQ(fx.recorded.boxes.size(), 1u);
    EXPECT_NE(fx.recorded.boxes[0].text.find("public suffix"), std::string::npos) << fx.recorded.boxes[0].text;
    EXPECT_EQ(RegValueNames(keep), V{});

    for (const char* name : {"org", "example.net"}) RegSetString(keep, name, "1");
    dialog.FillList();
    EXPECT_EQ(rows(), (V{"example.net", "org"}));
    ASSERT_EQ(fx.recorded.boxes.size(), 2u);
    EXPECT_NE(fx.recorded.boxes[1].text.find("'org'"), std::string::npos) << fx.recorded.boxes[1].text;
    dialog.lvSites.SetSelected(1, true);
    dialog.btnRemove.Click();
    EXPECT_EQ(RegValueNames(keep), V{"example.net"});
    EXPECT_EQ(rows(), V{"example.net"});
    EXPECT_EQ(fx.recorded.boxes.size(), 2u) << "the list reads again";
    RegDeleteTree(SettingsKey());
}
