#include "tests/unit/support/log_truth.h"

#include <cstdio>
#include <vector>

#include "platform/dirsearch.h"
#include "platform/platform.h"
#include "platform/path_text.h"

namespace logtruth {

static std::string read_all(const std::string &path)
{
    std::string bytes;
    FILE *f = plat_fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

static void walk(const std::string &dir, Tree &tree)
{
    plat_finddata record;
    intptr_t search = plat_findfirst((dir + "\\*").c_str(), &record);
    if (search == -1)
        return;
    std::vector<std::string> subdirs;
    do {
        std::string name = record.name;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (record.attrib & PLAT_ATTR_SUBDIR) {
            tree[path] = Entry{true, ""};
            subdirs.push_back(path);
        } else {
            tree[path] = Entry{false, read_all(path)};
        }
    } while (plat_findnext(search, &record) == 0);
    plat_findclose(search);
    for (const std::string &sub : subdirs)
        walk(sub, tree);
}

Tree snapshot(const std::string &dir)
{
    Tree tree;
    walk(dir, tree);
    return tree;
}

static bool named(const PARSED_LOG &log, const std::string &path, LOG_KEY key)
{
    // A kept earlier version is named by the line that pairs it with its place.
    if (key == KEY_MKFILE && log.names_backup(path.c_str()))
        return true;
    for (int32_t i = 0; i < log.count; ++i)
        if (log.lines[i].key == key && !log.lines[i].cut && same_path(log.lines[i].value, path.c_str()))
            return true;
    return false;
}

static const Entry *find(const Tree &tree, const std::string &path)
{
    for (const auto &entry : tree)
        if (same_path(entry.first.c_str(), path.c_str()))
            return &entry.second;
    return nullptr;
}

static bool changed(const Tree &before, const std::string &path, const Entry &now)
{
    const Entry *old = find(before, path);
    return !old || old->dir != now.dir || old->bytes != now.bytes;
}

std::string check(const std::string &log_path, const Tree &before, const Tree &after, size_t in_flight,
                  const PROTECTED_DIRS &dirs, const Tree &keep)
{
    for (const auto &kept : keep) {
        const Entry *now = find(after, kept.first);
        if (!now || now->dir != kept.second.dir || now->bytes != kept.second.bytes)
            return kept.first + " was not to be touched, and it was";
    }

    PARSED_LOG log;
    const Entry *log_file = find(after, log_path);
    if (log_file) {
        const std::string &bytes = log_file->bytes;
        if (!bytes.empty() && bytes.back() != '\n')
            return "the log ends in half a line";
        if (!log.parse(bytes.data(), (uint32_t)bytes.size()))
            return "the log reader ran out of memory";
        for (int32_t i = 0; i < log.count; ++i) {
            const LOG_LINE &line = log.lines[i];
            if (line.has_nul)
                return "log line " + std::to_string(i + 1) + " holds a zero byte";
            if (line.key != KEY_MKDIR && line.key != KEY_MKFILE)
                continue;
            if (check_entry(line.value, dirs) != ENTRY_SAFE)
                return std::string("the uninstaller would refuse ") + line.text;
            const Entry *there = find(after, line.value);
            if (!there || there->dir != (line.key == KEY_MKDIR))
                return std::string("the log names what is not there: ") + line.text;
        }
    }

    // The uninstaller copy beside the log is shared by every log and stays.
    std::string beside = log_path.substr(0, log_path.rfind('\\') + 1) + "uninstal.exe";
    bool names_any = false;
    for (int32_t i = 0; i < log.count; ++i)
        names_any =
            names_any || ((log.lines[i].key == KEY_MKDIR || log.lines[i].key == KEY_MKFILE) && !log.lines[i].cut);
    std::vector<std::string> unnamed;
    for (const auto &entry : after) {
        const std::string &path = entry.first;
        if (!changed(before, path, entry.second) || same_path(path.c_str(), beside.c_str()))
            continue;
        bool is_log = log_file && same_path(path.c_str(), log_path.c_str());
        if (is_log && !names_any)
            continue; // the carrier, before its first lines are out
        if (!log_file || !named(log, path, entry.second.dir ? KEY_MKDIR : KEY_MKFILE))
            unnamed.push_back(path);
    }
    if (unnamed.size() > in_flight) {
        std::string list;
        for (const std::string &path : unnamed)
            list += " " + path;
        return std::to_string(unnamed.size()) + " made but not in the log (" + std::to_string(in_flight) +
               " allowed):" + list;
    }
    return "";
}

} // namespace logtruth
