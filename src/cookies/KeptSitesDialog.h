#pragma once
// "Kept sites": the sites whose cookies every clearing keeps, to add to by
// name or from the sites that have cookies now, and to remove from.
#include <string>
#include <vector>

#include "cleaner/CategoryPlan.h"
#include "core/ProgramState.h"
#include "framework/Controls.h"
#include "framework/Form.h"
#include "framework/ListView.h"

namespace purgelet {

class TKeptSites : public ui::Form {
public:
    TKeptSites(ui::Application& app, ProgramState& state);

    void FillList();
    void btnAddClick();
    void btnRemoveClick();
    void btnFromCookiesClick();

    // The sites that have cookies now, for "Add from cookies...".
    std::function<std::vector<SiteWithCookies>()> sitesWithCookies;

    ui::Label lblKept{this,
                      "lblKept",
                      {12, 10, 396, 34},
                      "The cookies of these sites stay in every clearing; a site keeps its own sites too "
                      "(example.org keeps www.example.org)."};
    ui::ListView lvSites{this, "lvSites", {12, 50, 250, 196}};
    ui::Button btnRemove{this, "btnRemove", {274, 50, 134, 25}, "&Remove"};
    ui::Button btnFromCookies{this, "btnFromCookies", {274, 82, 134, 25}, "Add from &cookies..."};
    ui::Label lblSite{this, "lblSite", {12, 262, 44, 18}, "&Site:"};
    ui::Edit edSite{this, "edSite", {58, 258, 204, 24}};
    ui::Button btnAdd{this, "btnAdd", {274, 258, 134, 25}, "&Add"};
    ui::Button btnClose{this, "btnClose", {274, 294, 134, 25}, "Close"};

private:
    // Shows what went wrong, and the list as it now stands.
    void Done(const std::string& failure);
    ProgramState& state_;
};

// The sites with cookies now, each with a box: the checked ones are kept.
class TCookieSites : public ui::Form {
public:
    TCookieSites(ui::Application& app, const std::vector<SiteWithCookies>& sites, const std::vector<std::string>& kept);

    // The sites checked when the form was closed with "Keep checked".
    std::vector<std::string> Checked() const;

    ui::Label lblPick{this,
                      "lblPick",
                      {12, 10, 536, 34},
                      "Check the sites whose cookies are to stay. Each site with cookies is listed once (the "
                      "cookies of a running browser are not read)."};
    ui::ListView lvCookieSites{this, "lvCookieSites", {12, 50, 536, 280}};
    ui::Button btnKeep{this, "btnKeep", {296, 342, 124, 25}, "&Keep checked"};
    ui::Button btnCancel{this, "btnCancel", {428, 342, 120, 25}, "Cancel"};

private:
    std::vector<std::string> sites_;  // the sites of the rows, in row order
};

// "Kept sites..." of the Browsers page: the dialog, shown modally and freed
// when it closes.
void ShowKeptSites(ProgramState& state);

}  // namespace purgelet
