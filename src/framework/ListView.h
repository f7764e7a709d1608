#pragma once
// A report-style list view: captioned columns, one check box per row, rows
// whose texts the control keeps itself (the window asks for them when it
// paints), and sorting through a compare event.
#include <windows.h>
#include <commctrl.h>

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

    // Columns. Widths given at design are in design pixels; the others are
    // real pixels.
    int AddColumn(const std::string& caption, int designWidth);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // A column with automatic sizing is fitted to its contents and header
    // again each time an update bracket closes.
    bool ColumnAutoSize(int column) const;
    void SetColumnAutoSize(int column, bool on);

    // Rows.
    int Count() const { return static_cast<int>(rows_.size()); }
    // Appends a row and returns its index.
    int AddItem(std::string caption, std::vector<std::string> subItems = {});
    void DeleteItem(int index);
    void Clear();
    const ListItem& Item(int index) const;
    // Sets one cell; column 0 is the caption. Missing sub-items up to the
    // column are added empty.
    void SetText(int index, int column, const std::string& text);

    bool Checked(int index) const;
    void SetChecked(int index, bool on);
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

    // Orders every row once by onCompare (rows that compare equal keep their
    // order). An error raised by onCompare ends the sort with the order unchanged.
    void Sort();

    // Events.
    std::function<void(int column)> onColumnClick;
    std::function<int(const ListItem&, const ListItem&)> onCompare;

protected:
    const char* WindowClass() const override { return WC_LISTVIEWA; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    Color DefaultColor() const override { return clWindow; }
    void AfterCreate() override;
    bool OnNotify(NMHDR* hdr, LRESULT& result) override;
    bool HooksWindowProcedure() const override { return true; }

private:
    struct Row : ListItem {
        std::size_t rank = 0;  // place in the order a sort is applying
    };
    struct Column {
        std::string caption;
        int designWidth = 0;
        int width = -1;  // pixels, until the window exists; -1: the design width
        bool autoSize = false;
    };
    void InsertColumnWindow(int column);
    void InsertRowWindow(int index);
    void CheckIndex(int index) const;
    static int CALLBACK CompareRanks(LPARAM a, LPARAM b, LPARAM);

    std::vector<Column> columns_;
    std::vector<std::unique_ptr<Row>> rows_;  // in the order the window shows them
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
