// The command line of tessaly-batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The exit statuses, as the usage text gives them.
inline constexpr int kExitOk = 0;
inline constexpr int kExitSkipped = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130; // the shell's 128 + SIGINT

struct CBatchOptions {
    std::string m_strTarget;         // UTF-8, as typed
    std::string m_strExt = "mp3";    // UTF-8
    std::string m_strFilter = "wav"; // UTF-8; the extension filter or the pattern
    bool m_bUseRegex = false;
    bool m_bDryRun = false;
    bool m_bHelp = false;
    bool m_bVersion = false;
    bool m_bNoJournal = false; // move without a journal (when it cannot be written)
    bool m_bUndo = false;
    bool m_bJournals = false;
    std::string m_strJournal; // --undo's journal, UTF-8; empty: the newest not undone
    std::vector<std::string> m_astrTemplates; // UTF-8, as typed
};

// Parses argv; on a usage error returns nothing and sets strError.
std::optional<CBatchOptions> ParseBatchOptions(int argc, const char* const* argv,
                                               std::string& strError);

const char* BatchUsage();
