#include "framework/ListView.h"

#include <algorithm>
#include <stdexcept>

#include "framework/Application.h"
#include "base/Errors.h"

namespace purgelet::ui {

namespace {
const std::string kEmpty;

// State image 1 is the empty box, 2 the checked one.
UINT CheckStateImage(bool on) { return INDEXTOSTATEIMAGEMASK(on ? 2 : 1); }
}  // namespace

const std::string& ListItem::Text(int column) const {
    if (column == 0) return caption;
    if (column < 0 || static_cast<std::size_t>(column) > subItems.size()) return kEmpty;
    return subItems[static_cast<std::size_t>(column) - 1];
}

ListView::ListView(Control* parent, std::string name, DesignRect rect) : Control(parent, std::move(name), rect) {}

ListView::~ListView() { DestroyHandles(); }

DWORD ListView::Style() const {
    return LVS_REPORT | (multiSelect ? 0 : LVS_SINGLESEL) | (showSelectionAlways ? LVS_SHOWSELALWAYS : 0) |
           (readOnly ? 0 : LVS_EDITLABELS);
}

void ListView::AfterCreate() {
    DWORD ex = checkBoxes ? LVS_EX_CHECKBOXES : 0;
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    for (int c = 0; c < ColumnCount(); ++c) InsertColumnWindow(c);
    for (int i = 0; i < Count(); ++i) InsertRowWindow(i);
}

// Columns --------------------------------------------------------------------

int ListView::AddColumn(const std::string& caption, int designWidth) {
    columns_.push_back(Column{caption, designWidth, -1, false});
    int index = ColumnCount() - 1;
    if (hwnd_) InsertColumnWindow(index);
    return index;
}

void ListView::InsertColumnWindow(int column) {
    Column& c = columns_[static_cast<std::size_t>(column)];
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = c.caption.data();
    col.cx = c.width >= 0 ? c.width : Scale(c.designWidth, App().Dpi());
    col.iSubItem = column;
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

int ListView::ColumnWidth(int column) const {
    const Column& c = columns_.at(static_cast<std::size_t>(column));
    if (hwnd_) return static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    return c.width >= 0 ? c.width : Scale(c.designWidth, const_cast<ListView*>(this)->App().Dpi());
}

void ListView::SetColumnWidth(int column, int width) {
    Column& c = columns_.at(static_cast<std::size_t>(column));
    if (hwnd_) {
        SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
    } else if (width >= 0) {
        c.width = width;
    }
}

bool ListView::ColumnAutoSize(int column) const { return columns_.at(static_cast<std::size_t>(column)).autoSize; }

void ListView::SetColumnAutoSize(int column, bool on) { columns_.at(static_cast<std::size_t>(column)).autoSize = on; }

// Rows -----------------------------------------------------------------------

void ListView::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

void ListView::InsertRowWindow(int index) {
    // The texts stay with the row; the window asks for them (LVN_GETDISPINFO).
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.lParam = reinterpret_cast<LPARAM>(rows_[static_cast<std::size_t>(index)].get());
    SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int ListView::AddItem(std::string caption, std::vector<std::string> subItems) {
    auto row = std::make_unique<Row>();
    row->caption = std::move(caption);
    row->subItems = std::move(subItems);
    rows_.push_back(std::move(row));
    int index = Count() - 1;
    if (hwnd_) InsertRowWindow(index);
    return index;
}

void ListView::DeleteItem(int index) {
    CheckIndex(index);
    if (hwnd_) SendMessageA(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    rows_.erase(rows_.begin() + index);
}

void ListView::Clear() {
    if (hwnd_) SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    rows_.clear();
}

const ListItem& ListView::Item(int index) const {
    CheckIndex(index);
    return *rows_[static_cast<std::size_t>(index)];
}

void ListView::SetText(int index, int column, const std::string& text) {
    CheckIndex(index);
    if (column < 0) return;
    Row& row = *rows_[static_cast<std::size_t>(index)];
    if (column == 0) {
        row.caption = text;
    } else {
        if (row.subItems.size() < static_cast<std::size_t>(column))
            row.subItems.resize(static_cast<std::size_t>(column));
        row.subItems[static_cast<std::size_t>(column) - 1] = text;
    }
    if (hwnd_) SendMessageA(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

bool ListView::Checked(int index) const {
    CheckIndex(index);
    if (!hwnd_) return false;
    auto state =
        static_cast<UINT>(SendMessageA(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == CheckStateImage(true);
}

void ListView::SetChecked(int index, bool on) {
    CheckIndex(index);
    if (!hwnd_) return;
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = CheckStateImage(on);
    SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

bool ListView::Selected(int index) const {
    CheckIndex(index);
    if (!hwnd_) return false;
    return (SendMessageA(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void ListView::SetSelected(int index, bool on) {
    CheckIndex(index);
    if (!hwnd_) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = on ? LVIS_SELECTED : 0;
    SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> ListView::SelectedIndices() const {
    std::vector<int> out;
    if (!hwnd_) return out;
    int i = -1;
    while ((i = static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0)
        out.push_back(i);
    return out;
}

int ListView::FocusedIndex() const {
    if (!hwnd_) return -1;
    return static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void ListView::SetFocusedIndex(int index) {
    CheckIndex(index);
    if (!hwnd_) return;
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void ListView::EnsureVisible(int index) {
    CheckIndex(index);
    if (hwnd_) SendMessageA(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

// Updates and sorting ---------------------------------------------------------

void ListView::BeginUpdate() {
    if (updateDepth_++ == 0 && hwnd_) SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
}

void ListView::EndUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ != 0 || !hwnd_) return;
    for (int c = ColumnCount() - 1; c >= 0; --c)
        if (columns_[static_cast<std::size_t>(c)].autoSize) SetColumnWidth(c, kAutoSizeUseHeader);
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

int CALLBACK ListView::CompareRanks(LPARAM a, LPARAM b, LPARAM) {
    auto ra = reinterpret_cast<const Row*>(a)->rank, rb = reinterpret_cast<const Row*>(b)->rank;
    return ra < rb ? -1 : (ra > rb ? 1 : 0);
}

void ListView::Sort() {
    if (!onCompare || rows_.size() < 2) return;
    // The order is worked out on our own copy first; the window then takes
    // it over, each row carrying its place.
    std::vector<Row*> order;
    order.reserve(rows_.size());
    for (auto& r : rows_) order.push_back(r.get());
    std::stable_sort(order.begin(), order.end(), [this](const Row* a, const Row* b) { return onCompare(*a, *b) < 0; });
    for (std::size_t i = 0; i < order.size(); ++i) order[i]->rank = i;
    std::sort(rows_.begin(), rows_.end(), [](const auto& a, const auto& b) { return a->rank < b->rank; });
    if (hwnd_) SendMessageA(hwnd_, LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&ListView::CompareRanks));
}

// Notifications -----------------------------------------------------------------

bool ListView::OnNotify(NMHDR* hdr, LRESULT& result) {
    switch (hdr->code) {
        case LVN_GETDISPINFOA: {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(hdr);
            if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
                const Row* row = reinterpret_cast<const Row*>(info->item.lParam);
                if (!row && info->item.iItem >= 0 && info->item.iItem < Count())
                    row = rows_[static_cast<std::size_t>(info->item.iItem)].get();
                const std::string& text = row ? row->Text(info->item.iSubItem) : kEmpty;
                lstrcpynA(info->item.pszText, text.c_str(), info->item.cchTextMax);
            }
            result = 0;
            return true;
        }
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
                const Row* row = reinterpret_cast<const Row*>(info->item.lParam);
                if (!row && info->item.iItem >= 0 && info->item.iItem < Count())
                    row = rows_[static_cast<std::size_t>(info->item.iItem)].get();
                const std::string& text = row ? row->Text(info->item.iSubItem) : kEmpty;
                std::wstring wide(text.size() + 1, L'\0');
                MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
                lstrcpynW(info->item.pszText, wide.c_str(), info->item.cchTextMax);
            }
            result = 0;
            return true;
        }
        case LVN_COLUMNCLICK: {
            int column = reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem;
            if (onColumnClick) Fire([&] { onColumnClick(column); });
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace purgelet::ui
