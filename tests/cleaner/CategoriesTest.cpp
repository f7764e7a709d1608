// The walkers of the category table: the orders, the names and the stored
// choice of the unattended clearing.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cleaner/Categories.h"

using namespace purgelet;

namespace {

TEST(Categories, OrdersTakeEveryCategoryOnceAndNamesLeadBackToTheirRow) {
    const std::vector<Category> all = AllCategories(), mode = ModeOrder(), custom = CustomOrder();
    ASSERT_EQ(all.size(), kCategoryCount);
    EXPECT_TRUE(std::is_permutation(mode.begin(), mode.end(), custom.begin(), custom.end()));
    // The mode runs take the Main page's categories, in the table's order;
    // the browsers' come after them.
    EXPECT_TRUE(std::equal(mode.begin(), mode.end(), all.begin()));
    for (std::size_t i = 0; i < kCategoryCount; ++i) {
        EXPECT_EQ(IndexOf(all[i]), i);
        EXPECT_EQ(i >= mode.size(), kCategories[i].browsers);
        if (i > 0 && i < custom.size()) EXPECT_LT(RowOf(custom[i - 1]).customPlace, RowOf(custom[i]).customPlace);
        EXPECT_EQ(CategoryNamed(kCategories[i].name), kCategories[i].id);
    }
    EXPECT_FALSE(CategoryNamed(L"nonsense"));
    EXPECT_FALSE(CategoryNamed(L""));
}

// A settings store of plain texts; anything not set reads as empty.
struct Store {
    std::map<std::string, std::string> values;
    std::function<std::string(const std::string&)> Reader() const {
        return [this](const std::string& name) {
            const auto it = values.find(name);
            return it == values.end() ? std::string() : it->second;
        };
    }
    void Set(FixedText value, const char* text) { values[value.Text()] = text; }
};

TEST(Categories, TheStoredChoiceFollowsTheLastModeStoredAsOneAndItsBoxes) {
    Store store;
    EXPECT_TRUE(StoredChoice(store.Reader()).empty()) << "no mode: nothing";

    const Category first = ModeOrder().front(), last = ModeOrder().back();
    store.Set(RowOf(first).selectionValue, "1");
    store.Set(RowOf(last).customValue, "1");
    store.Set(RowOf(last).selectionValue, "0");

    store.Set(ValueOf(Execution::ClearAll), "1");
    EXPECT_EQ(StoredChoice(store.Reader()), ModeOrder());

    store.Set(ValueOf(Execution::ClearSelected), "1");  // stored later than All: it wins
    EXPECT_EQ(StoredChoice(store.Reader()), std::vector<Category>{first});

    store.Set(ValueOf(Execution::ClearSelected), "0");
    store.Set(ValueOf(Execution::ClearNotSelected), "1");
    std::vector<Category> notSelected = ModeOrder();
    notSelected.erase(notSelected.begin());
    EXPECT_EQ(StoredChoice(store.Reader()), notSelected);

    store.Set(ValueOf(Execution::Custom), "1");
    EXPECT_EQ(StoredChoice(store.Reader()), std::vector<Category>{last});
    EXPECT_EQ(StoredExecution(store.Reader()), Execution::Custom);

    // The browsers come last, the items on by default.
    store.values[texts::ValIncludeBrowsers] = "1";
    EXPECT_EQ(
        StoredChoice(store.Reader()),
        (std::vector<Category>{last, Category::BrowserCache, Category::BrowserCookies, Category::BrowserHistory}));

    store.Set(ValueOf(Execution::Custom), "yes");  // only "1" is on
    EXPECT_EQ(StoredExecution(store.Reader()), Execution::ClearNotSelected);
}

}  // namespace
