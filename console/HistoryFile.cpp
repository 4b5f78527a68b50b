#include "console/HistoryFile.h"

#include "console/HistoryLines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_set>

namespace
{

std::string FailureText(const char *what, const std::string &path, int error)
{
    return std::string(what) + " \"" + path + "\". " + std::strerror(error);
}

// Reads the whole file; returns the errno on failure.
int ReadAll(const std::string &path, std::string &bytes)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return 0;
}

// Writes all bytes; returns the errno on failure.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

} // namespace

THistoryFile::THistoryFile(std::string path)
    : FPath(std::move(path))
{
}

std::vector<std::string> THistoryFile::Load()
{
    std::string bytes;
    if (int error = ReadAll(FPath, bytes))
        throw EHistoryFileError(FailureText("Cannot open file", FPath, error));
    FKnownBytes = bytes;
    return ParseHistoryEntries(bytes);
}

std::vector<std::string> THistoryFile::Rewrite(const std::vector<std::string> &entries)
{
    std::vector<std::string> kept = entries;
    std::string current;
    if (FKnownBytes && ReadAll(FPath, current) == 0 && current.size() > FKnownBytes->size()
        && current.starts_with(*FKnownBytes)) {
        std::vector<std::string> appended = ParseHistoryEntries(std::string_view(current).substr(FKnownBytes->size()));
        std::unordered_set<std::string> present(entries.begin(), entries.end());
        for (std::string &entry : appended) {
            if (present.insert(entry).second)
                kept.push_back(std::move(entry));
        }
    }

    std::string bytes = FormatHistoryEntries(kept);
    int fd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EHistoryFileError(FailureText("Cannot create file", FPath, errno));
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error) {
        FKnownBytes.reset();
        throw EHistoryFileError(FailureText("Cannot create file", FPath, error));
    }
    FKnownBytes = std::move(bytes);
    return kept;
}

bool THistoryFile::AppendEntry(const std::string &path, std::string_view text)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string line(text);
    line.append("\r\n");
    int error = WriteAll(fd, line);
    return ::close(fd) == 0 && error == 0;
}
