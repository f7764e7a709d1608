#pragma once
// The console companion, PurgeletCmd: lists the categories and what each
// clears here, previews a clearing (counts and sizes, nothing changed) and
// clears, for scripts and scheduled tasks. It runs the window's categories on
// the same engine, with no window: it shows no window or message box, never
// writes the settings, and runs beside the window program. PurgeletTask is
// the same command built for the GUI subsystem, so that a scheduled or logon
// run opens no console either.
//
//   PurgeletCmd list [--json]
//   PurgeletCmd preview [--all | --chosen | CATEGORY...] [--json]
//   PurgeletCmd clear   [--all | --chosen | CATEGORY...] [--compact] [--json] [--quiet]
//   PurgeletCmd --help | --version
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "cleaner/CategoryPlan.h"

namespace purgelet {

// The exit codes.
inline constexpr int kExitDone = 0;        // everything asked for was cleared, or previewed
inline constexpr int kExitKept = 1;        // done, but something was kept
inline constexpr int kExitUsage = 2;       // an unknown command, category or option
inline constexpr int kExitImpossible = 3;  // nothing could be done; the reason is on stderr

// Where the command's text goes.
class CommandOutput {
public:
    virtual void Out(std::wstring_view text) = 0;
    virtual void Err(std::wstring_view text) = 0;
    // Whether the error stream is a console, where progress is shown.
    virtual bool ErrIsConsole() const = 0;

protected:
    ~CommandOutput() = default;
};

// The process's standard output and error: a console is written through the
// wide console functions, so any name shows; anything else gets UTF-8.
class StandardOutput final : public CommandOutput {
public:
    StandardOutput();
    void Out(std::wstring_view text) override;
    void Err(std::wstring_view text) override;
    bool ErrIsConsole() const override { return errConsole_; }

private:
    HANDLE out_, err_;
    bool outConsole_, errConsole_;
};

// Runs one command line (the arguments after the program's name) on site,
// reading the stored settings from settingsKey below HKEY_CURRENT_USER;
// returns the exit code. program is the name the usage and the documents give.
int RunCommand(const std::vector<std::wstring>& args, const CleaningSite& site, const std::string& settingsKey,
               CommandOutput& output, std::wstring_view program = L"PurgeletCmd");

// The whole program: its own command line (whenBare in place of none), this
// system, the standard streams. A program without a console writes to the
// standard handles its caller gave it, or nowhere.
int CommandMain(std::wstring_view program, const std::vector<std::wstring>& whenBare = {});

}  // namespace purgelet
