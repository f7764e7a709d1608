#include "framework/ListView.h"

#include <windowsx.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "framework/Application.h"
#include "base/Errors.h"
#include "base/Text.h"

namespace purgelet::ui {

namespace {
const std::string kEmpty;

// A row's mark: state image 1 is the empty box, 2 the checked one, 0 none.
constexpr std::uint8_t kUnchecked = 0, kChecked = 1, kNoBox = 2;
UINT CheckStateImage(std::uint8_t mark) { return INDEXTOSTATEIMAGEMASK(mark == kNoBox ? 0 : mark == kChecked ? 2 : 1); }
}  // namespace

const std::string& ListItem::Text(int column) const {
    if (column == 0) return caption;
    if (column < 0 || static_cast<std::size_t>(column) > subItems.size()) return kEmpty;
    return subItems[static_cast<std::size_t>(column) - 1];
}

ListView::ListView(Control* parent, std::string name, DesignRect rect) : Control(parent, std::move(name), rect) {}

ListView::~ListView() { DestroyHandles(); }

DWORD ListView::Style() const {
    return LVS_REPORT | LVS_OWNERDATA | (multiSelect ? 0 : LVS_SINGLESEL) |
           (showSelectionAlways ? LVS_SHOWSELALWAYS : 0) | (readOnly ? 0 : LVS_EDITLABELS);
}

void ListView::AfterCreate() {
    DWORD ex = checkBoxes ? LVS_EX_CHECKBOXES : 0;
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    // The window asks for its texts wide, whatever its parent's own format.
    if (utf8Texts) SendMessageA(hwnd_, CCM_SETUNICODEFORMAT, TRUE, 0);
    // The window asks for the check boxes' state as it asks for texts.
    if (checkBoxes) SendMessageA(hwnd_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    for (int c = 0; c < ColumnCount(); ++c) InsertColumnWindow(c);
    SetWindowCount();
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
    std::wstring caption = Wide(c.caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = caption.data();
    col.cx = c.width >= 0 ? c.width : Scale(c.designWidth, App().Dpi());
    col.iSubItem = column;
    SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

std::wstring ListView::Wide(const std::string& text) const { return utf8Texts ? FromUtf8(text) : Widen(text); }

void ListView::SetColumnCaption(int column, const std::string& caption) {
    Column& c = columns_.at(static_cast<std::size_t>(column));
    c.caption = caption;
    if (!hwnd_) return;
    std::wstring text = Wide(caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = text.data();
    SendMessageW(hwnd_, LVM_SETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

void ListView::FitColumn(int column) {
    const Column& c = columns_.at(static_cast<std::size_t>(column));
    if (!hwnd_) return;
    // The widest cell, as the window measures it; the caption with the
    // header's margins either side; and never narrower than designed. (The window's own "contents and header"
    // would stretch the last column to the list's edge instead.)
    SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE, 0));
    const std::wstring caption = Wide(c.caption);
    const int header =
        static_cast<int>(SendMessageW(hwnd_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(caption.c_str()))) +
        6 * GetSystemMetrics(SM_CXEDGE);
    const int least = std::max(header, Scale(c.designWidth, App().Dpi()));
    if (ColumnWidth(column) < least) SetColumnWidth(column, least);
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

void ListItems::SetText(int index, int column, const std::string& text) {
    ListItem& row = items_[static_cast<std::size_t>(index)];
    if (column == 0) {
        row.caption = text;
        return;
    }
    if (row.subItems.size() < static_cast<std::size_t>(column)) row.subItems.resize(static_cast<std::size_t>(column));
    row.subItems[static_cast<std::size_t>(column) - 1] = text;
}

void ListItems::Reorder(const std::vector<int>& order) {
    std::vector<ListItem> reordered;
    reordered.reserve(items_.size());
    for (int old : order) reordered.push_back(std::move(items_[static_cast<std::size_t>(old)]));
    items_ = std::move(reordered);
}

void ListView::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

void ListView::SetWindowCount() {
    if (hwnd_) SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(Count()), LVSICF_NOSCROLL);
}

void ListView::SetState(int index, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void ListView::RedrawRow(int index) {
    if (hwnd_ && updateDepth_ == 0) SendMessageA(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

void ListView::SetRows(ListRows& rows) {
    rows_ = &rows;
    checks_.assign(static_cast<std::size_t>(Count()), 0);
    SetWindowCount();
}

void ListView::RowsChanged() {
    checks_.resize(static_cast<std::size_t>(Count()), 0);
    SetWindowCount();
}

int ListView::AddItem(std::string caption, std::vector<std::string> subItems) {
    if (rows_ != &ownRows_) throw Error("The list's rows are kept by its owner");
    ownRows_.Add(ListItem{std::move(caption), std::move(subItems)});
    RowsChanged();
    return Count() - 1;
}

void ListView::DeleteItem(int index) {
    CheckIndex(index);
    // The window goes first: it may still ask about the row it drops.
    if (hwnd_) SendMessageA(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    rows_->Erase(index);
    if (static_cast<std::size_t>(index) < checks_.size()) checks_.erase(checks_.begin() + index);
}

void ListView::Clear() {
    if (hwnd_) SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    rows_->Clear();
    checks_.clear();
    checks_.shrink_to_fit();
}

ListItem ListView::Item(int index) const {
    CheckIndex(index);
    return rows_->Row(index);
}

void ListView::SetText(int index, int column, const std::string& text) {
    CheckIndex(index);
    if (column < 0) return;
    rows_->SetText(index, column, text);
    RedrawRow(index);
}

bool ListView::Checked(int index) const {
    CheckIndex(index);
    return static_cast<std::size_t>(index) < checks_.size() && checks_[static_cast<std::size_t>(index)] == kChecked;
}

void ListView::SetMark(int index, std::uint8_t mark) {
    CheckIndex(index);
    if (checks_.size() < static_cast<std::size_t>(Count())) checks_.resize(static_cast<std::size_t>(Count()), 0);
    checks_[static_cast<std::size_t>(index)] = mark;
    RedrawRow(index);
}

void ListView::SetChecked(int index, bool on) { SetMark(index, on ? kChecked : kUnchecked); }

void ListView::HideCheckBox(int index) { SetMark(index, kNoBox); }

void ListView::ToggleChecked(int index) {
    if (index < 0 || index >= Count()) return;
    if (static_cast<std::size_t>(index) < checks_.size() && checks_[static_cast<std::size_t>(index)] == kNoBox) return;
    SetChecked(index, !Checked(index));
    if (onItemChecked) Fire([this, index] { onItemChecked(index); });
}

bool ListView::Selected(int index) const {
    CheckIndex(index);
    if (!hwnd_) return false;
    return (SendMessageA(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void ListView::SetSelected(int index, bool on) {
    CheckIndex(index);
    if (hwnd_) SetState(index, on ? LVIS_SELECTED : 0, LVIS_SELECTED);
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
    if (hwnd_) SetState(index, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
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
        if (columns_[static_cast<std::size_t>(c)].autoSize) FitColumn(c);
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListView::Sort() {
    if ((!onCompare && !onCompareRows) || Count() < 2) return;
    // The order is worked out first; the rows take it only when it is complete.
    std::vector<int> order(static_cast<std::size_t>(Count()));
    std::iota(order.begin(), order.end(), 0);
    if (onCompareRows) {
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) { return onCompareRows(a, b) < 0; });
    } else {
        std::vector<ListItem> items;
        items.reserve(order.size());
        for (int i : order) items.push_back(rows_->Row(i));
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return onCompare(items[static_cast<std::size_t>(a)], items[static_cast<std::size_t>(b)]) < 0;
        });
    }

    const std::vector<int> selected = SelectedIndices();
    const int focused = FocusedIndex();
    rows_->Reorder(order);
    checks_.resize(order.size(), 0);
    std::vector<std::uint8_t> checks(order.size());
    std::vector<int> placeOf(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        checks[i] = checks_[static_cast<std::size_t>(order[i])];
        placeOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    checks_ = std::move(checks);
    if (!hwnd_) return;
    // Selection and focus are the window's; they follow their rows.
    if (!selected.empty() || focused >= 0) SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (int old : selected) SetState(placeOf[static_cast<std::size_t>(old)], LVIS_SELECTED, LVIS_SELECTED);
    if (focused >= 0) SetState(placeOf[static_cast<std::size_t>(focused)], LVIS_FOCUSED, LVIS_FOCUSED);
    if (updateDepth_ == 0) InvalidateRect(hwnd_, nullptr, TRUE);
}

// Messages and notifications ------------------------------------------------------

LRESULT ListView::WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The window keeps no check marks, so it cannot flip them itself: a click
    // on a row's box and the space bar flip the list's own mark.
    if (checkBoxes && hwnd_) {
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
            LVHITTESTINFO hit{};
            hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int index = static_cast<int>(SendMessageA(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON)) {
                if (GetFocus() != hwnd_) ::SetFocus(hwnd_);
                ToggleChecked(index);
                return 0;
            }
        } else if (msg == WM_KEYDOWN && wParam == VK_SPACE) {
            ToggleChecked(FocusedIndex());
            return 0;
        }
    }
    return Control::WindowMessage(msg, wParam, lParam);
}

int ListView::FindCaption(const std::wstring& text, UINT flags, int start) const {
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || Count() == 0) return -1;
    const int count = Count();
    if (start < 0 || start >= count) start = 0;
    const int tried = (flags & LVFI_WRAP) ? count : count - start;
    for (int k = 0; k < tried; ++k) {
        const int i = (start + k) % count;
        const std::wstring caption = Wide(rows_->Text(i, 0));
        const int length = (flags & LVFI_PARTIAL) ? static_cast<int>(text.size()) : -1;
        if ((flags & LVFI_PARTIAL) && caption.size() < text.size()) continue;
        if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.c_str(), length, text.c_str(), -1) ==
            CSTR_EQUAL)
            return i;
    }
    return -1;
}

template <class Info>
void ListView::AnswerDisplayInfo(Info& item) {
    const bool known = item.iItem >= 0 && item.iItem < Count();
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_STATEIMAGEMASK) && checkBoxes)
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) |
                     CheckStateImage(known && static_cast<std::size_t>(item.iItem) < checks_.size()
                                         ? checks_[static_cast<std::size_t>(item.iItem)]
                                         : kUnchecked);
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const std::string text = known ? rows_->Text(item.iItem, item.iSubItem) : std::string();
    if constexpr (sizeof(*item.pszText) == 1) {
        lstrcpynA(item.pszText, utf8Texts ? Narrow(FromUtf8(text)).c_str() : text.c_str(), item.cchTextMax);
    } else {
        lstrcpynW(item.pszText, Wide(text).c_str(), item.cchTextMax);
    }
}

bool ListView::OnNotify(NMHDR* hdr, LRESULT& result) {
    switch (hdr->code) {
        case LVN_GETDISPINFOA:
            AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOA*>(hdr)->item);
            result = 0;
            return true;
        case LVN_GETDISPINFOW:
            AnswerDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr)->item);
            result = 0;
            return true;
        case LVN_ODFINDITEMA: {
            const auto* find = reinterpret_cast<NMLVFINDITEMA*>(hdr);
            result =
                FindCaption(find->lvfi.psz ? Widen(find->lvfi.psz) : std::wstring(), find->lvfi.flags, find->iStart);
            return true;
        }
        case LVN_ODFINDITEMW: {
            const auto* find = reinterpret_cast<NMLVFINDITEMW*>(hdr);
            result = FindCaption(find->lvfi.psz ? std::wstring(find->lvfi.psz) : std::wstring(), find->lvfi.flags,
                                 find->iStart);
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
