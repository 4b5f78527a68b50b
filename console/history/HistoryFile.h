// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/history/HistoryList.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// A failure to read or write the history file; what() is the text for the general error box.
class EHistoryFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The send history file (txt.txt in the program's folder, platform/ProgramFolder.h): one GBK entry per line, each ended
// by CR LF. Used on the user-interface thread only.
class THistoryFile
{
public:
    explicit THistoryFile(std::string path);

    const std::string &Path() const { return FPath; }

    // The file's entries. Throws EHistoryFileError "Cannot open file "<path>". <reason>" when it cannot be read.
    THistoryList Load();

    // Writes the entries over the file (created when missing), each followed by CR LF, and returns what it wrote.
    // Entries that another part of the program appended to the file since the last Load or Rewrite through this
    // object are kept: they follow `entries`, each once, unless already among them. Throws EHistoryFileError
    // "Cannot create file "<path>". <reason>" when the file cannot be created or written.
    THistoryList Rewrite(const THistoryList &entries);

    // Adds text and CR LF at the end of the existing file. The file is never created: a missing file, like any
    // other failure, gives false.
    static bool AppendEntry(const std::string &path, std::string_view text);

private:
    std::string FPath;
    // The file's bytes as this object last read or wrote them (shared with the list read or written); null when
    // unknown.
    std::shared_ptr<const std::string> FKnownBytes;
};
