// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProfileFile.h"

#include "core/AnsiText.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A stray CR (a line ending in CR CR LF, or an old CR-only break) counts as a blank, so it never becomes part of a
// name or a value.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares two names, folding ASCII letters only. A GBK lead byte and the byte after it are compared exactly: the
// trail byte may lie in the ASCII letter range, and folding it would make two different characters equal.
bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsGbkLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class TLineKind { Blank, Comment, Section, Key, Other };

// One line of a profile file: its text without the line break, and what it holds.
struct TLine {
    size_t Begin = 0; // offset of the line's first byte
    size_t End = 0; // offset just past its text (before CR LF or LF)
    size_t Next = 0; // offset of the next line
    TLineKind Kind = TLineKind::Blank;
    std::string_view Name; // section or key name, trimmed
    std::string_view Value; // key's value, trimmed and unquoted
    size_t ValueBegin = 0; // offset just past the key's '='
};

TLine ParseLine(std::string_view contents, size_t begin)
{
    TLine line;
    line.Begin = begin;
    size_t newline = contents.find('\n', begin);
    line.Next = newline == std::string_view::npos ? contents.size() : newline + 1;
    line.End = newline == std::string_view::npos ? contents.size() : newline;
    if (line.End > begin && contents[line.End - 1] == '\r')
        --line.End;

    std::string_view text = Trim(contents.substr(begin, line.End - begin));
    if (text.empty()) {
        line.Kind = TLineKind::Blank;
    } else if (text.front() == ';' || text.front() == '#') {
        line.Kind = TLineKind::Comment;
    } else if (text.front() == '[') {
        line.Kind = TLineKind::Section;
        std::string_view inner = text.substr(1);
        line.Name = Trim(inner.substr(0, inner.find(']')));
    } else if (size_t equals = text.find('='); equals != std::string_view::npos) {
        line.Kind = TLineKind::Key;
        line.Name = Trim(text.substr(0, equals));
        line.Value = Unquote(Trim(text.substr(equals + 1)));
        line.ValueBegin = static_cast<size_t>(text.data() - contents.data()) + equals + 1;
    } else {
        line.Kind = TLineKind::Other;
    }
    return line;
}

bool EndsWithBreak(std::string_view contents, const TLine &line)
{
    return line.Next > line.Begin && contents[line.Next - 1] == '\n';
}

// Where a section stands in a file: its header line, and the lines up to the next header.
struct TSectionSpan {
    bool Found = false;
    size_t BodyEnd = 0; // offset of the next header, or the end of the file
    size_t AfterLastFilled = 0; // offset just past the last non-blank line (the header at least)
    bool LastFilledHasBreak = true;
    std::optional<TLine> KeyLine; // first line of the wanted key
};

TSectionSpan FindSection(std::string_view contents, std::string_view section, std::string_view key)
{
    section = Trim(section);
    key = Trim(key);
    TSectionSpan span;
    bool inside = false;
    for (size_t at = 0; at < contents.size();) {
        TLine line = ParseLine(contents, at);
        at = line.Next;
        if (line.Kind == TLineKind::Section) {
            if (inside)
                break;
            if (NamesEqual(line.Name, section)) {
                inside = true;
                span.Found = true;
                span.AfterLastFilled = line.Next;
                span.LastFilledHasBreak = EndsWithBreak(contents, line);
            }
            continue;
        }
        if (!inside)
            continue;
        if (line.Kind != TLineKind::Blank) {
            span.AfterLastFilled = line.Next;
            span.LastFilledHasBreak = EndsWithBreak(contents, line);
        }
        if (line.Kind == TLineKind::Key && !span.KeyLine && NamesEqual(line.Name, key))
            span.KeyLine = line;
    }
    return span;
}

// The outcome of reading a whole file: its bytes, or whether it is missing or unreadable.
enum class TReadResult { Ok, Missing, Unreadable };

TReadResult ReadWholeFile(const std::string &path, std::string &contents)
{
    // Non-blocking, so that a FIFO in the file's place cannot hang the caller; only regular files are read.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? TReadResult::Missing : TReadResult::Unreadable;
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return TReadResult::Unreadable;
    }
    contents.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return TReadResult::Unreadable;
        }
        if (n == 0)
            break;
        contents.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return TReadResult::Ok;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string &path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// A symbolic link is followed, so that the file it points to is replaced rather than the link.
std::string ResolveTarget(const std::string &path)
{
    struct stat st {
    };
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char *real = ::realpath(path.c_str(), nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return path;
}

// Creates a new file beside target under a name no other writer uses; the mode is the caller's umask applied to
// 0666, as for any new file.
int CreateSibling(const std::string &target, std::string &name)
{
    static std::atomic<unsigned> counter { 0 };
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(counter++);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void SyncFolder(const std::string &folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool ReplaceFile(const std::string &target, std::string_view contents, const struct stat *existing)
{
    std::string temporary;
    int fd = CreateSibling(target, temporary);
    if (fd < 0)
        return false;
    bool ok = true;
    if (existing) {
        ok = ::fchmod(fd, existing->st_mode & 07777) == 0;
        // Keeps the owner when an administrator edits someone else's file; ordinary users cannot and need not.
        if (::fchown(fd, existing->st_uid, existing->st_gid) != 0 && errno != EPERM)
            ok = false;
    }
    ok = ok && WriteAll(fd, contents) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view contents, std::string_view section, std::string_view key)
{
    TSectionSpan span = FindSection(contents, section, key);
    if (!span.KeyLine)
        return std::nullopt;
    return std::string(span.KeyLine->Value);
}

std::string SetProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value)
{
    TSectionSpan span = FindSection(contents, section, key);
    std::string result;
    result.reserve(contents.size() + section.size() + key.size() + value.size() + 8);
    if (span.KeyLine) {
        // The key's own spelling and indentation stay; only the text after '=' changes.
        result.append(contents.substr(0, span.KeyLine->ValueBegin));
        result.append(value);
        result.append(contents.substr(span.KeyLine->End));
    } else if (span.Found) {
        result.append(contents.substr(0, span.AfterLastFilled));
        if (!span.LastFilledHasBreak)
            result.append("\r\n");
        result.append(key).append("=").append(value).append("\r\n");
        result.append(contents.substr(span.AfterLastFilled));
    } else {
        result.append(contents);
        if (!result.empty() && result.back() != '\n')
            result.append("\r\n");
        result.append("[").append(section).append("]\r\n");
        result.append(key).append("=").append(value).append("\r\n");
    }
    return result;
}

bool IsStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value)
{
    auto breaksLine
        = [](std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != text.npos; };
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return false;
    if (section.find(']') != section.npos || key.find('=') != key.npos)
        return false;
    std::string_view name = Trim(key);
    return name.empty() || (name.front() != '[' && name.front() != ';' && name.front() != '#');
}

std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key, const std::string &path)
{
    std::string contents;
    if (ReadWholeFile(path, contents) != TReadResult::Ok)
        return std::nullopt;
    std::optional<std::string> value = FindProfileValue(contents, section, key);
    if (value && value->size() > ProfileValueLimit)
        value->resize(ProfileValueLimit);
    return value;
}

std::string ReadProfileString(
    std::string_view section, std::string_view key, std::string_view defaultValue, const std::string &path)
{
    return ReadProfileValue(section, key, path).value_or(std::string(defaultValue));
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value, const std::string &path)
{
    if (path.empty() || !IsStorableProfileEntry(section, key, value))
        return false;
    std::string target = ResolveTarget(path);
    std::string contents;
    TReadResult read = ReadWholeFile(target, contents);
    if (read == TReadResult::Unreadable)
        return false;
    struct stat existing {
    };
    bool exists = read == TReadResult::Ok && ::stat(target.c_str(), &existing) == 0;
    // A file without its owner's write permission is read-only, whoever runs the program.
    if (exists && ((existing.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    return ReplaceFile(target, SetProfileValue(contents, section, key, value), exists ? &existing : nullptr);
}

bool FlushProfile(const std::string &)
{
    return true;
}
