// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/history/HistoryFile.h"

#include "console/history/HistoryMemory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Read straight into a string of the file's size, so that a large file is held once, not grown by doubling.
    struct stat info {
    };
    std::size_t expected = ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    bytes.clear();
    bytes.reserve(expected + 1);
    AdviseLargePages(bytes.data(), bytes.capacity());
    bytes.resize(expected + 1); // one byte more tells the end of the file without another read
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() + bytes.size() / 2 + 65536);
        ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return error;
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(size);
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

THistoryList THistoryFile::Load()
{
    auto bytes = std::make_shared<std::string>();
    if (int error = ReadAll(FPath, *bytes))
        throw EHistoryFileError(FailureText("Cannot open file", FPath, error));
    FKnownBytes = bytes;
    return THistoryList::Parse(std::move(bytes));
}

THistoryList THistoryFile::Rewrite(const THistoryList &entries)
{
    THistoryList kept = entries;
    // Only a file that has grown can hold appended entries; the size alone spares reading a large file every time.
    struct stat info {
    };
    std::string current;
    if (FKnownBytes && ::stat(FPath.c_str(), &info) == 0 && static_cast<std::size_t>(info.st_size) > FKnownBytes->size()
        && ReadAll(FPath, current) == 0 && current.size() > FKnownBytes->size() && current.starts_with(*FKnownBytes)) {
        auto appended = std::make_shared<const std::string>(current, FKnownBytes->size());
        current = std::string();
        kept = entries.WithNewEntries(THistoryList::Parse(appended));
    }

    const std::shared_ptr<const std::string> &bytes = kept.Bytes();
    int fd = ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EHistoryFileError(FailureText("Cannot create file", FPath, errno));
    int error = WriteAll(fd, *bytes);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error) {
        FKnownBytes.reset();
        throw EHistoryFileError(FailureText("Cannot create file", FPath, error));
    }
    FKnownBytes = bytes;
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
