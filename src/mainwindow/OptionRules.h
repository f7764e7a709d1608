#pragma once
// Rules of the option controls that need no window: the Run key entry's text
// and the tray option's step.
#include <string>

#include "core/Texts.h"

namespace purgelet {

// The current user's Run key, below HKEY_CURRENT_USER, and the program's entry in it.
inline constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunEntryName = texts::ProgramName;

// The Run key entry's text for the executable's full path. A path holding a
// blank is put in double quotes, or Windows would take the part before the
// first blank for the program to run; any other path is stored unchanged.
std::string RunKeyData(const std::string& exePath);
std::wstring RunKeyData(const std::wstring& exePath);
// The path an entry's text names, in either form: quoted or plain.
std::string RunKeyEntryPath(const std::string& data);
std::wstring RunKeyEntryPath(const std::wstring& data);

// What the tray option does once its value is stored.
enum class TrayStep { Nothing, CreateTrayWindow, RemoveTrayWindow };
TrayStep TrayRuleStep(bool trayWindowOpen, bool boxChecked);

}  // namespace purgelet
