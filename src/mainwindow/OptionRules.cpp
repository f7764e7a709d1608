#include "mainwindow/OptionRules.h"

namespace purgelet {

std::string RunKeyData(const std::string& exePath) {
    if (exePath.find_first_of(" \t") == std::string::npos) return exePath;
    return '"' + exePath + '"';
}

std::string RunKeyEntryPath(const std::string& data) {
    if (data.empty() || data.front() != '"') return data;
    const std::size_t close = data.find('"', 1);
    return data.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

TrayStep TrayRuleStep(bool trayWindowOpen, bool boxChecked) {
    if (!trayWindowOpen && boxChecked) return TrayStep::CreateTrayWindow;
    if (trayWindowOpen && !boxChecked) return TrayStep::RemoveTrayWindow;
    return TrayStep::Nothing;
}

}  // namespace purgelet
