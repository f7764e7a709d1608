#include "cleaner/Categories.h"

#include <algorithm>

#include "core/Settings.h"

namespace purgelet {

std::vector<Category> ModeOrder() {
    std::vector<Category> order;
    for (const CategoryRow& row : kCategories)
        if (!row.browsers) order.push_back(row.id);
    return order;
}

std::vector<Category> AllCategories() {
    std::vector<Category> order;
    for (const CategoryRow& row : kCategories) order.push_back(row.id);
    return order;
}

std::vector<Category> CustomOrder() {
    std::vector<Category> order = ModeOrder();
    std::stable_sort(order.begin(), order.end(),
                     [](Category a, Category b) { return RowOf(a).customPlace < RowOf(b).customPlace; });
    return order;
}

std::optional<Category> CategoryNamed(const std::wstring& name) {
    for (const CategoryRow& row : kCategories)
        if (name == row.name) return row.id;
    return std::nullopt;
}

bool ModeTakes(ClearMode mode, bool selected) {
    switch (mode) {
        case ClearMode::Selected:
            return selected;
        case ClearMode::NotSelected:
            return !selected;
        case ClearMode::All:
            break;
    }
    return true;
}

Execution ChosenExecution(bool clearAll, bool clearSelected, bool clearNotSelected, bool custom) {
    if (clearAll) return Execution::ClearAll;
    if (clearSelected) return Execution::ClearSelected;
    if (clearNotSelected) return Execution::ClearNotSelected;
    if (custom) return Execution::Custom;
    return Execution::None;
}

Execution StoredExecution(const std::function<std::string(const std::string& name)>& read) {
    Execution execution = Execution::None;
    for (const ExecutionValue& v : kExecutionValues)
        if (IsSwitchOn(read(v.value.Text()))) execution = v.mode;
    return execution;
}

std::vector<Category> StoredChoice(const std::function<std::string(const std::string& name)>& read) {
    const Execution execution = StoredExecution(read);
    std::vector<Category> chosen;
    // In the order the window clears them: Custom clicks its buttons in its own order.
    for (Category category : execution == Execution::Custom ? CustomOrder() : ModeOrder()) {
        const CategoryRow& row = RowOf(category);
        bool takes = false;
        switch (execution) {
            case Execution::ClearAll:
                takes = true;
                break;
            case Execution::ClearSelected:
            case Execution::ClearNotSelected:
                takes = ModeTakes(execution == Execution::ClearSelected ? ClearMode::Selected : ClearMode::NotSelected,
                                  IsSwitchOn(read(row.selectionValue.Text())));
                break;
            case Execution::Custom:
                takes = IsSwitchOn(read(row.customValue.Text()));
                break;
            case Execution::None:
                break;
        }
        if (takes) chosen.push_back(row.id);
    }
    if (execution != Execution::None)
        for (Category item : StoredBrowserItems(read)) chosen.push_back(item);
    return chosen;
}

std::vector<Category> StoredBrowserItems(const std::function<std::string(const std::string& name)>& read) {
    std::vector<Category> items;
    if (!IsSwitchOn(read(texts::ValIncludeBrowsers))) return items;
    for (const CategoryRow& row : kCategories) {
        if (!row.browsers) continue;
        const std::string stored = row.itemValue ? read(row.itemValue) : std::string();
        if (row.itemOnByDefault ? !IsSwitchOff(stored) : IsSwitchOn(stored)) items.push_back(row.id);
    }
    return items;
}

}  // namespace purgelet
