#include "tools/batch/BatchOptions.h"

#include <cstring>

const char* BatchUsage() {
    return "usage: tessaly-batch [options] TEMPLATE...\n"
           "Moves each file of the flat folder DIR into the sub-folder that mirrors the place of\n"
           "its same-named twin in the TEMPLATE trees. Nothing is ever overwritten.\n"
           "\n"
           "  -t, --target DIR     the operation folder: the flat folder whose files are moved "
           "(required)\n"
           "  -e, --ext EXT        the operation extension (default mp3)\n"
           "  -f, --filter EXT     the extension filter (default wav; * for every file)\n"
           "  -r, --regex PATTERN  a whole-name regular expression instead of the extension "
           "filter\n"
           "  -n, --dry-run        show what would move, and move nothing\n"
           "      --no-journal     move even when the journal of the run cannot be written\n"
           "      --undo [JOURNAL] move the files of a run back (the newest run not undone by\n"
           "                       default); with -n, show what would move back\n"
           "      --journals       list the journals of the runs\n"
           "  -h, --help           this text\n"
           "      --version        the version\n"
           "\n"
           "Paths are POSIX paths or drive paths (TESSALY_DRIVES='C=/srv/music;D=/media/usb').\n"
           "Exit status: 0 every collected file moved or already in place; 1 some file not moved,\n"
           "left out or dropped as a duplicate with nothing left, or a report not written; 2 bad\n"
           "usage or a refused filter, folder or extension; 130 interrupted (Ctrl-C).\n";
}

std::optional<CBatchOptions> ParseBatchOptions(int argc, const char* const* argv,
                                               std::string& strError) {
    CBatchOptions options;
    bool bFilterGiven = false;
    bool bRegexGiven = false;
    bool bOptionsEnded = false;
    bool bTargetGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (bOptionsEnded || strArg.empty() || strArg[0] != '-' || strArg == "-") {
            options.m_astrTemplates.push_back(strArg);
            continue;
        }
        if (strArg == "--") {
            bOptionsEnded = true;
            continue;
        }
        // "--name=value" and "--name value", "-x value" and "-xvalue"; flags combine as in
        // "-nt DIR" (every letter but the last takes no value).
        std::string strName = strArg;
        std::optional<std::string> value;
        if (strArg.rfind("--", 0) == 0) {
            const size_t uEq = strArg.find('=');
            if (uEq != std::string::npos) {
                strName = strArg.substr(0, uEq);
                value = strArg.substr(uEq + 1);
            }
        } else {
            size_t uAt = 1;
            while (uAt + 1 < strArg.size() && (strArg[uAt] == 'n' || strArg[uAt] == 'h')) {
                (strArg[uAt] == 'n' ? options.m_bDryRun : options.m_bHelp) = true;
                ++uAt;
            }
            strName = std::string("-") + strArg[uAt];
            if (uAt + 1 < strArg.size()) {
                value = strArg.substr(uAt + 1);
            }
        }
        auto takeValue = [&]() -> std::optional<std::string> {
            if (value) {
                return value;
            }
            if (i + 1 < argc) {
                return std::string(argv[++i]);
            }
            strError = "option " + strName + " needs a value";
            return std::nullopt;
        };
        if (strName == "-h" || strName == "--help") {
            options.m_bHelp = true;
        } else if (strName == "--version") {
            options.m_bVersion = true;
        } else if (strName == "--undo" || strName == "--journals" || strName == "--no-journal") {
            if (value && strName != "--undo") {
                strError = "option " + strName + " takes no value";
                return std::nullopt;
            }
            (strName == "--undo"       ? options.m_bUndo
             : strName == "--journals" ? options.m_bJournals
                                       : options.m_bNoJournal) = true;
            if (value) {
                options.m_strJournal = *value;
            }
        } else if (strName == "-n" || strName == "--dry-run") {
            if (value) {
                strError = "option " + strName + " takes no value";
                return std::nullopt;
            }
            options.m_bDryRun = true;
        } else if (strName == "-t" || strName == "--target") {
            auto v = takeValue();
            if (!v) {
                return std::nullopt;
            }
            options.m_strTarget = *v;
            bTargetGiven = true;
        } else if (strName == "-e" || strName == "--ext") {
            auto v = takeValue();
            if (!v) {
                return std::nullopt;
            }
            options.m_strExt = *v;
        } else if (strName == "-f" || strName == "--filter") {
            auto v = takeValue();
            if (!v) {
                return std::nullopt;
            }
            options.m_strFilter = *v;
            bFilterGiven = true;
        } else if (strName == "-r" || strName == "--regex") {
            auto v = takeValue();
            if (!v) {
                return std::nullopt;
            }
            options.m_strFilter = *v;
            options.m_bUseRegex = true;
            bRegexGiven = true;
        } else {
            strError = "unknown option " + strArg;
            return std::nullopt;
        }
    }
    if (options.m_bHelp || options.m_bVersion) {
        return options;
    }
    if (options.m_bUndo || options.m_bJournals) {
        // The run's own arguments mean nothing here; one JOURNAL may follow --undo.
        if (options.m_bUndo && options.m_bJournals) {
            strError = "--undo and --journals cannot be used together";
            return std::nullopt;
        }
        const std::size_t uMaxArgs = options.m_bUndo && options.m_strJournal.empty() ? 1 : 0;
        if (bTargetGiven || bFilterGiven || bRegexGiven || options.m_bNoJournal ||
            options.m_astrTemplates.size() > uMaxArgs ||
            (options.m_bJournals && options.m_bDryRun)) {
            strError = options.m_bUndo ? "--undo takes only -n and one JOURNAL"
                                       : "--journals takes no other option or argument";
            return std::nullopt;
        }
        if (!options.m_astrTemplates.empty()) {
            options.m_strJournal = options.m_astrTemplates.front();
            options.m_astrTemplates.clear();
        }
        return options;
    }
    if (bFilterGiven && bRegexGiven) {
        strError = "-f and -r cannot be used together";
        return std::nullopt;
    }
    if (!bTargetGiven) {
        // An empty -t "" is left to Execute's own check and its message.
        strError = "the operation folder (-t DIR) is required";
        return std::nullopt;
    }
    if (options.m_astrTemplates.empty()) {
        strError = "no TEMPLATE given";
        return std::nullopt;
    }
    return options;
}
