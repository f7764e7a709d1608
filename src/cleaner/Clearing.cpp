#include "cleaner/Clearing.h"

#include <objbase.h>
#include <urlhist.h>

#include <cstdio>

#include "base/Com.h"
#include "base/Errors.h"
#include "base/Handles.h"
#include "core/Texts.h"

namespace purgelet {

namespace {
// The URL history store; the MinGW headers name its interface but not the class.
constexpr CLSID kClsidCUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};

// The system's text for a COM failure, as the standard error box shows it.
std::string ComErrorText(HRESULT hr) {
    LocalMemory buffer;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
    std::string text = n && buffer ? std::string(static_cast<const char*>(buffer.Get()), n) : std::string();
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof(fallback), "OLE error %08lX", static_cast<unsigned long>(hr));
        text = fallback;
    }
    return text;
}

}  // namespace

bool& NtFlagOf(NtCategoryFlags& flags, Category category) {
    switch (category) {
        case Category::HistoryLinksWeb:
            return flags.historyLinksWeb;
        case Category::TempInternetFiles:
            return flags.tempInternetFiles;
        case Category::Cookies:
            return flags.cookies;
        case Category::TypedURLs:
            return flags.typedURLs;
        case Category::TypedWordsOnRun:
            return flags.typedWordsOnRun;
        case Category::TemporaryFiles:
            return flags.temporaryFiles;
        case Category::HistoryLinksDoc:
            break;
    }
    return flags.historyLinksDoc;
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

std::vector<Category> StoredChoice(const std::function<std::string(const std::string& name)>& read) {
    // The radio buttons load in this order; the last one stored as "1" is selected.
    Execution execution = Execution::None;
    const std::pair<FixedText, Execution> modes[] = {{texts::ValClearAllMode, Execution::ClearAll},
                                                     {texts::ValClearSelectedMode, Execution::ClearSelected},
                                                     {texts::ValClearNotSelectedMode, Execution::ClearNotSelected},
                                                     {texts::ValCustomMode, Execution::Custom}};
    for (const auto& [value, mode] : modes)
        if (IsSwitchOn(read(value.Text()))) execution = mode;
    std::vector<Category> chosen;
    for (Category category : kModeOrder) {
        const CategoryValues& values = ValuesOf(category);
        bool takes = false;
        switch (execution) {
            case Execution::ClearAll:
                takes = true;
                break;
            case Execution::ClearSelected:
            case Execution::ClearNotSelected:
                takes = ModeTakes(execution == Execution::ClearSelected ? ClearMode::Selected : ClearMode::NotSelected,
                                  IsSwitchOn(read(values.selection.Text())));
                break;
            case Execution::Custom:
                takes = IsSwitchOn(read(values.custom.Text()));
                break;
            case Execution::None:
                break;
        }
        if (takes) chosen.push_back(category);
    }
    return chosen;
}

std::string FolderBelow(const std::string& base, const std::string& name) {
    if (base.empty() || name.empty()) return {};
    return base + name;
}

std::vector<FolderLine> Win9xTempInternetFolders(const std::string& windowsFolder, const FolderSet& folders) {
    std::vector<FolderLine> out;
    if (!folders.UserName.empty())
        out.push_back({FolderBelow(windowsFolder, folders.UserTempInternetFolder), logline::UserTempInternet,
                       "user's temporary internet files"});
    out.push_back({FolderBelow(windowsFolder, texts::Win9xTempInternetName.Text()), logline::TempInternet,
                   "temporary internet files"});
    return out;
}

std::vector<FolderLine> Win9xRecentFolders(const std::string& windowsFolder, const FolderSet& folders) {
    std::vector<FolderLine> out;
    out.push_back(
        {FolderBelow(windowsFolder, texts::Win9xRecentName.Text()), logline::Recent, "history links of documents"});
    if (!folders.UserName.empty())
        out.push_back({FolderBelow(windowsFolder, folders.UserRecentFolder), logline::UserRecent,
                       "user's history links of documents"});
    return out;
}

FolderLine Win9xTempFolder(const std::string& windowsFolder) {
    return {FolderBelow(windowsFolder, texts::WindowsTempName.Text()), logline::WindowsTemp9x, "Windows temp"};
}

NtFolders NtFoldersOf(const std::string& windowsFolder, const FolderSet& folders) {
    NtFolders out;
    out.windowsTemp = Widen(FolderBelow(windowsFolder, texts::WindowsTempName.Text()));
    if (folders.WinMajor >= 6) {
        const FolderSet::ShellFolders& shell = folders.shell;
        out.profile = shell.profile;
        out.tempInternet = shell.tempInternet;
        out.userTemp = shell.userTemp;
        out.recent = shell.recent;
        return out;
    }
    const bool nt5 = folders.WinMajor >= 5;
    const std::string& profile = folders.ProfileFolder;
    out.profile = Widen(profile);
    out.tempInternet =
        Widen(FolderBelow(profile, nt5 ? texts::Nt5TempInternetName.Text() : texts::Nt4TempInternetName.Text()));
    out.userTemp = Widen(FolderBelow(profile, nt5 ? texts::Nt5TempName.Text() : texts::Nt4TempName.Text()));
    out.recent = Widen(FolderBelow(profile, texts::NtRecentName.Text()));
    return out;
}

RegistryValuesCleared DeleteAllValues(const std::string& key, const Platform& platform, bool preview) {
    RegistryValuesCleared result;
    RegKey h;
    const LONG opened =
        key.empty() ? ERROR_FILE_NOT_FOUND
                    : RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, h.Receive());
    if (opened != ERROR_SUCCESS) {
        result.missing = opened == ERROR_FILE_NOT_FOUND;
        return result;
    }
    result.opened = true;

    // The wide names, so a name outside the code page is deleted as well.
    DWORD longest = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                     nullptr);
    std::vector<wchar_t> buffer(longest + 1 > 256 ? longest + 1 : 256);
    std::vector<std::wstring> names;
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LONG rc = platform.regEnumValueName(h, index, buffer.data(), &length);
        if (rc == ERROR_MORE_DATA && buffer.size() < 32768) {
            buffer.resize(32768);
            continue;
        }
        // Any other end than "no more items" leaves values unlisted.
        if (rc != ERROR_SUCCESS) {
            result.listedAll = rc == ERROR_NO_MORE_ITEMS;
            break;
        }
        names.emplace_back(buffer.data(), length);
        ++index;
    }
    if (preview) {
        result.deleted = static_cast<int>(names.size());
        return result;
    }
    for (const std::wstring& name : names) {
        if (platform.regDeleteValue(h, name.c_str()) != ERROR_SUCCESS)
            ++result.failures;
        else
            ++result.deleted;
    }
    return result;
}

std::string RegistryOutcomeLine(const RegistryValuesCleared& result, const std::string& failure,
                                const std::string& success) {
    if (!result.opened || (!result.listedAll && result.failures == 0)) return failure;
    if (result.failures > 0) return failure + ". Count = " + std::to_string(result.failures);
    return success;
}

void ClearUrlHistoryStore(const Platform& platform) {
    ComApartment com;
    ComPtr<IUrlHistoryStg2> store;
    const HRESULT hr = platform.createComObject(kClsidCUrlHistory, IID_IUrlHistoryStg2, store.Receive());
    if (FAILED(hr) || !store) throw Error(ComErrorText(FAILED(hr) ? hr : E_NOINTERFACE));
    store->ClearHistory();
}

}  // namespace purgelet
