#pragma once
// A report-style list view: captioned columns, one check box per row, and
// sorting through a compare event. The window keeps nothing per row (an
// owner-data list): it asks for each text as it paints, the rows live in a
// row store, and the check marks are kept here.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Control.h"

namespace purgelet::ui {

// One row: the caption (column 0) and the texts of the further columns.
struct ListItem {
    std::string caption;
    std::vector<std::string> subItems;

    // Column 0 is the caption; a column the row has no text for reads as empty.
    const std::string& Text(int column) const;
};

// Where a list view's rows live. Texts are asked for one cell at a time.
class ListRows {
public:
    virtual ~ListRows() = default;
    virtual int Count() const = 0;
    // Every text of a row.
    virtual ListItem Row(int index) const = 0;
    // One cell; column 0 is the caption, a cell the row lacks reads as empty.
    virtual std::string Text(int index, int column) const = 0;
    virtual void SetText(int index, int column, const std::string& text) = 0;
    virtual void Erase(int index) = 0;
    virtual void Clear() = 0;
    // Puts the rows in a new order: order[i] is the old index of the new row i.
    virtual void Reorder(const std::vector<int>& order) = 0;
};

// Rows held as their texts.
class ListItems : public ListRows {
public:
    int Count() const override { return static_cast<int>(items_.size()); }
    ListItem Row(int index) const override { return items_[static_cast<std::size_t>(index)]; }
    std::string Text(int index, int column) const override {
        return items_[static_cast<std::size_t>(index)].Text(column);
    }
    // Missing sub-items up to the column are added empty.
    void SetText(int index, int column, const std::string& text) override;
    void Erase(int index) override { items_.erase(items_.begin() + index); }
    void Clear() override { items_.clear(); }
    void Reorder(const std::vector<int>& order) override;
    void Add(ListItem item) { items_.push_back(std::move(item)); }

private:
    std::vector<ListItem> items_;
};

class ListView : public Control {
public:
    ListView(Control* parent, std::string name, DesignRect rect);
    ~ListView() override;

    // Special widths for SetColumnWidth.
    static constexpr int kAutoSize = LVSCW_AUTOSIZE;                     // fit the contents
    static constexpr int kAutoSizeUseHeader = LVSCW_AUTOSIZE_USEHEADER;  // fit contents and header

    // Styles; they take effect when the window is created.
    bool checkBoxes = true;
    bool multiSelect = true;
    bool showSelectionAlways = true;
    bool readOnly = true;
    // The rows' texts and the columns' captions are UTF-8, and the window
    // shows them wide: any name shows as it is, what the ANSI code page
    // lacks included. Otherwise they are in the ANSI code page.
    bool utf8Texts = false;

    // Columns. Widths given at design are in design pixels; the others are
    // real pixels.
    int AddColumn(const std::string& caption, int designWidth);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    void SetColumnCaption(int column, const std::string& caption);
    // Fits a column to its widest cell and its caption, however wide that
    // is (a list whose columns outgrow it scrolls sideways), and never
    // narrower than its design width.
    void FitColumn(int column);
    // A column with automatic sizing is fitted (FitColumn) again each time
    // an update bracket closes.
    bool ColumnAutoSize(int column) const;
    void SetColumnAutoSize(int column, bool on);

    // Rows. The list holds them as texts unless it is given a store of the
    // owner's, which must outlive it.
    void SetRows(ListRows& rows);
    // Takes the store's row count after the owner added rows to it; the new
    // rows are unchecked.
    void RowsChanged();
    int Count() const { return rows_->Count(); }
    // Appends a row to the list's own texts and returns its index.
    int AddItem(std::string caption, std::vector<std::string> subItems = {});
    void DeleteItem(int index);
    void Clear();
    ListItem Item(int index) const;
    // Sets one cell; column 0 is the caption.
    void SetText(int index, int column, const std::string& text);

    // Check marks are kept by the list, also without a window.
    bool Checked(int index) const;
    void SetChecked(int index, bool on);
    // A row without a box (a line that says the list is empty); setting its
    // check mark gives it one again.
    void HideCheckBox(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool on);
    std::vector<int> SelectedIndices() const;
    // -1 when no row has the focus.
    int FocusedIndex() const;
    // Makes the row the focused one and selects it.
    void SetFocusedIndex(int index);
    // Scrolls so the row is wholly visible.
    void EnsureVisible(int index);

    // No redraw between the outermost BeginUpdate and its EndUpdate.
    // UpdateBracket pairs them, however the work in between ends.
    void BeginUpdate();
    void EndUpdate();
    int UpdateDepth() const { return updateDepth_; }
    class UpdateBracket;

    // Orders every row once by onCompareRows, or else by onCompare (rows that
    // compare equal keep their order). Check marks, selection and focus move
    // with their rows. An error raised by the comparison ends the sort with
    // the order unchanged.
    void Sort();

    // Events.
    std::function<void(int column)> onColumnClick;
    std::function<int(const ListItem&, const ListItem&)> onCompare;
    // Compares two rows by their indices, without building their texts.
    std::function<int(int, int)> onCompareRows;
    // The user flipped a row's check mark (a click on its box, or Space).
    std::function<void(int index)> onItemChecked;

protected:
    const char* WindowClass() const override { return WC_LISTVIEWA; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    Color DefaultColor() const override { return clWindow; }
    void AfterCreate() override;
    bool OnNotify(NMHDR* hdr, LRESULT& result) override;
    LRESULT WindowMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HooksWindowProcedure() const override { return true; }

private:
    struct Column {
        std::string caption;
        int designWidth = 0;
        int width = -1;  // pixels, until the window exists; -1: the design width
        bool autoSize = false;
    };
    void InsertColumnWindow(int column);
    void CheckIndex(int index) const;
    void SetWindowCount();
    void SetState(int index, UINT state, UINT mask);
    void RedrawRow(int index);
    void ToggleChecked(int index);
    void SetMark(int index, std::uint8_t mark);
    // The first row from start on whose caption is text (or begins with it,
    // for a partial search), ignoring case; -1 when there is none. Typing in
    // the window searches this way.
    int FindCaption(const std::wstring& text, UINT flags, int start) const;
    // A text of the rows as wide text.
    std::wstring Wide(const std::string& text) const;
    // The row's texts and check mark for the window's request.
    template <class Info>
    void AnswerDisplayInfo(Info& item);

    std::vector<Column> columns_;
    ListItems ownRows_;
    ListRows* rows_ = &ownRows_;
    std::vector<std::uint8_t> checks_;  // one per row, in row order: kUnchecked, kChecked or kNoBox
    int updateDepth_ = 0;
};

// Opens a list view's update bracket and closes it when it goes out of scope.
class ListView::UpdateBracket {
public:
    explicit UpdateBracket(ListView& list) : list_(list) { list_.BeginUpdate(); }
    ~UpdateBracket() { list_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    ListView& list_;
};

}  // namespace purgelet::ui
