// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// Folders that hold programs installed by the system's packages or by `cmake --install`: never a place for a
// user's settings, even for root, who may write anywhere.
bool IsSystemProgramFolder(const std::string &folder)
{
    static constexpr std::array<std::string_view, 5> Roots { "/usr/", "/bin/", "/sbin/", "/opt/", "/snap/" };
    std::string path = WithSlash(folder);
    for (std::string_view root : Roots)
        if (path.starts_with(root))
            return true;
    return false;
}

std::optional<TFilesFolder> &ChosenFolder()
{
    static std::optional<TFilesFolder> folder;
    return folder;
}

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

TFolderProblem Problem(const std::string &what, const std::string &path, int error)
{
    return { error, what + " " + path + ": " + std::strerror(error) };
}

} // namespace

TFilesFolder ChooseFilesFolder(const TFolderFacts &facts)
{
    if (!facts.ConfigDirOption.empty())
        return { WithSlash(facts.ConfigDirOption), TFilesMode::Chosen };
    if ((facts.SettingsFileBeside || facts.PortableMarkerBeside) && facts.ExecutableFolderWritable
        && !IsSystemProgramFolder(facts.ExecutableFolder))
        return { WithSlash(facts.ExecutableFolder), TFilesMode::Portable };

    // Relative values of the variable are to be ignored, as if it were unset.
    std::string base = facts.XdgConfigHome;
    if (base.empty() || base.front() != '/') {
        std::string home = facts.Home.empty() ? "/" : facts.Home;
        base = WithSlash(home) + ".config";
    }
    return { WithSlash(base) + "kelvara/", TFilesMode::Installed };
}

TFolderFacts CurrentFolderFacts(const std::string &configDirOption)
{
    TFolderFacts facts;
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length > 0) {
        std::string executable(buffer, static_cast<std::size_t>(length));
        facts.ExecutableFolder = executable.substr(0, executable.rfind('/') + 1);
    }
    facts.ExecutableFolderWritable
        = !facts.ExecutableFolder.empty() && ::access(facts.ExecutableFolder.c_str(), W_OK) == 0;
    auto besideExecutable = [&facts](const char *name) {
        struct stat info {
        };
        return !facts.ExecutableFolder.empty() && ::stat((facts.ExecutableFolder + name).c_str(), &info) == 0
            && S_ISREG(info.st_mode);
    };
    facts.SettingsFileBeside = besideExecutable(SettingsFileName);
    facts.PortableMarkerBeside = besideExecutable(PortableMarkerName);

    facts.ConfigDirOption = configDirOption;
    if (!configDirOption.empty() && configDirOption.front() != '/') {
        if (char *current = ::getcwd(nullptr, 0)) {
            facts.ConfigDirOption = WithSlash(current) + configDirOption;
            std::free(current);
        }
    }
    facts.XdgConfigHome = Environment("XDG_CONFIG_HOME");
    facts.Home = Environment("HOME");
    if (facts.Home.empty())
        if (const passwd *user = ::getpwuid(::getuid()); user && user->pw_dir)
            facts.Home = user->pw_dir;
    return facts;
}

void SetFilesFolder(const TFilesFolder &folder)
{
    ChosenFolder() = folder;
}

const TFilesFolder &FilesFolder()
{
    std::optional<TFilesFolder> &folder = ChosenFolder();
    if (!folder)
        folder = ChooseFilesFolder(CurrentFolderFacts());
    return *folder;
}

std::string ProgramFilePath(std::string_view name)
{
    return FilesFolder().Path + std::string(name);
}

TFolderProblem PrepareFilesFolder(const TFilesFolder &folder)
{
    if (folder.Mode == TFilesMode::Portable)
        return {};

    // Each missing level is made private to the user, as the base folder of per-user settings should be.
    std::string path = folder.Path;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string level = path.substr(0, slash);
        if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST)
            return Problem("cannot create the folder", level, errno);
    }
    // A level that already exists may be a file, or a folder of another user.
    if (::access(path.c_str(), W_OK) != 0)
        return Problem("cannot write to the folder", path, errno);

    std::string history = path + HistoryFileName;
    int fd = ::open(history.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::close(fd);
    else if (errno != EEXIST)
        return Problem("cannot create", history, errno);
    return {};
}
