#include "tests/unit/support/drive_state.h"

#include <cstdio>

#include "platform/dirsearch.h"
#include "platform/path_text.h"
#include "platform/platform.h"

namespace drivestate {

// FNV-1a over the file's bytes; size -1 when it cannot be read.
static void measure(const std::string &path, Item &item)
{
    item.size = -1;
    item.hash = 1469598103934665603ull;
    FILE *f = plat_fopen(path.c_str(), "rb");
    if (!f)
        return;
    item.size = 0;
    unsigned char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        for (size_t i = 0; i < n; ++i)
            item.hash = (item.hash ^ buffer[i]) * 1099511628211ull;
        item.size += (int64_t)n;
    }
    std::fclose(f);
}

static void walk(const std::string &dir, Drive &drive)
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
        Item item = {(record.attrib & PLAT_ATTR_SUBDIR) != 0, 0, 0, record.attrib, 0};
        if (item.dir) {
            subdirs.push_back(path);
        } else {
            item.time_write = record.time_write;
            measure(path, item);
        }
        drive[path] = item;
    } while (plat_findnext(search, &record) == 0);
    plat_findclose(search);
    for (const std::string &sub : subdirs)
        walk(sub, drive);
}

Drive snapshot(const std::string &dir)
{
    Drive drive;
    walk(dir, drive);
    return drive;
}

static bool ignored(const std::string &path, const std::vector<std::string> &ignore)
{
    for (const std::string &left_out : ignore)
        if (same_path(path.c_str(), left_out.c_str()))
            return true;
    return false;
}

static std::string what_changed(const Item &was, const Item &is)
{
    if (was.dir != is.dir)
        return was.dir ? "a folder became a file" : "a file became a folder";
    if (was.attributes != is.attributes)
        return "attributes " + std::to_string(was.attributes) + " became " + std::to_string(is.attributes);
    if (was.dir)
        return "";
    if (was.size != is.size)
        return std::to_string(was.size) + " bytes became " + std::to_string(is.size);
    if (was.hash != is.hash)
        return "other bytes";
    if (was.time_write != is.time_write)
        return "time " + std::to_string(was.time_write) + " became " + std::to_string(is.time_write);
    return "";
}

std::string differences(const Drive &before, const Drive &after, const std::vector<std::string> &ignore,
                        size_t in_flight)
{
    std::vector<std::string> found, made;
    for (const auto &was : before) {
        if (ignored(was.first, ignore))
            continue;
        auto is = after.find(was.first);
        if (is == after.end()) {
            found.push_back(was.first + ": gone");
            continue;
        }
        std::string change = what_changed(was.second, is->second);
        if (!change.empty())
            found.push_back(was.first + ": " + change);
    }
    for (const auto &is : after)
        if (!before.count(is.first) && !ignored(is.first, ignore))
            made.push_back(is.first + ": made");
    // The folders above an entry in flight stay with it: count the deepest.
    size_t deepest = 0;
    for (const std::string &entry : made) {
        std::string path = entry.substr(0, entry.size() - std::string(": made").size());
        bool holds_another = false;
        for (const std::string &other : made)
            holds_another =
                holds_another ||
                (other != entry && path_is_below(other.substr(0, other.find(": made")).c_str(), path.c_str()));
        deepest += holds_another ? 0 : 1;
    }
    if (found.empty() && deepest <= in_flight)
        return "";
    found.insert(found.end(), made.begin(), made.end());
    std::string text = std::to_string(found.size()) + " differences:";
    for (size_t i = 0; i < found.size() && i < 5; ++i)
        text += " " + found[i] + ";";
    return text;
}

} // namespace drivestate
