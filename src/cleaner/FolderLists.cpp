#include "cleaner/FolderLists.h"

#include "cleaner/LogLines.h"
#include "core/Texts.h"

namespace purgelet {

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

}  // namespace purgelet
