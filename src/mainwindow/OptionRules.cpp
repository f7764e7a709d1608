#include "mainwindow/OptionRules.h"

namespace purgelet {

namespace {
template <class Text>
Text QuotedWhenBlank(const Text& exePath) {
    using Char = typename Text::value_type;
    if (exePath.find_first_of(Text{Char(' '), Char('\t')}) == Text::npos) return exePath;
    return Char('"') + exePath + Char('"');
}

template <class Text>
Text Unquoted(const Text& data) {
    using Char = typename Text::value_type;
    if (data.empty() || data.front() != Char('"')) return data;
    const std::size_t close = data.find(Char('"'), 1);
    return data.substr(1, close == Text::npos ? Text::npos : close - 1);
}
}  // namespace

std::string RunKeyData(const std::string& exePath) { return QuotedWhenBlank(exePath); }
std::wstring RunKeyData(const std::wstring& exePath) { return QuotedWhenBlank(exePath); }
std::string RunKeyEntryPath(const std::string& data) { return Unquoted(data); }
std::wstring RunKeyEntryPath(const std::wstring& data) { return Unquoted(data); }

TrayStep TrayRuleStep(bool trayWindowOpen, bool boxChecked) {
    if (!trayWindowOpen && boxChecked) return TrayStep::CreateTrayWindow;
    if (trayWindowOpen && !boxChecked) return TrayStep::RemoveTrayWindow;
    return TrayStep::Nothing;
}

}  // namespace purgelet
