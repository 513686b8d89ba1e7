#include "tests/unit/support/drive_snapshot.h"

#include <cstdio>
#include <cstring>

#include "platform/dirsearch.h"
#include "platform/path_text.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace drive {

namespace {

int64_t last_write(const std::string &path)
{
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (int64_t)(((uint64_t)data.ftLastWriteTime.dwHighDateTime << 32) | data.ftLastWriteTime.dwLowDateTime);
#else
    char host[4096];
    struct stat st;
    if (!plat_host_path(path.c_str(), host, sizeof host) || stat(host, &st) != 0)
        return -1;
    return (int64_t)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

Item file_item(const std::string &path, uint32_t attributes)
{
    Item item = {false, 0, 1469598103934665603ull, attributes, last_write(path)};
    FILE *f = plat_fopen(path.c_str(), "rb");
    if (!f) {
        item.size = -1;
        return item;
    }
    unsigned char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        item.size += (int64_t)n;
        for (size_t i = 0; i < n; ++i)
            item.hash = (item.hash ^ buffer[i]) * 1099511628211ull;
    }
    std::fclose(f);
    return item;
}

void walk(const std::string &dir, Snapshot &shot)
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
        uint32_t attributes = plat_get_attributes(path.c_str());
        if (record.attrib & PLAT_ATTR_SUBDIR) {
            shot.items[path] = Item{true, 0, 0, attributes, 0};
            subdirs.push_back(path);
        } else {
            shot.items[path] = file_item(path, attributes);
        }
    } while (plat_findnext(search, &record) == 0);
    plat_findclose(search);
    for (const std::string &sub : subdirs)
        walk(sub, shot);
}

std::string entry_values(const std::string &key)
{
    uint32_t values = 0, subkeys = 0;
    if (plat_reg_count(key.c_str(), &values, &subkeys) != PLAT_DONE)
        return "<none>";
    std::map<std::string, std::string> named;
    for (uint32_t i = 0; i < values; ++i) {
        char name[256];
        char data[1024] = "";
        uint32_t type = 0;
        if (plat_reg_value_name(key.c_str(), i, name, sizeof name) != PLAT_DONE ||
            plat_reg_get(key.c_str(), name, &type, data, sizeof data - 1) != PLAT_DONE)
            continue;
        uint32_t number = 0;
        std::memcpy(&number, data, sizeof number);
        named[name] = type == PLAT_REG_DWORD ? std::to_string(number) : std::string(data);
    }
    std::string text = std::to_string(subkeys) + " subkeys";
    for (const auto &value : named)
        text += "; " + value.first + "=" + value.second;
    return text;
}

bool is_ignored(const std::string &path, const std::vector<std::string> &ignored)
{
    for (const std::string &leave : ignored)
        if (same_path(path.c_str(), leave.c_str()))
            return true;
    return false;
}

std::string describe(const Item &item)
{
    if (item.dir)
        return "folder, attributes " + std::to_string(item.attributes);
    char hash[24];
    std::snprintf(hash, sizeof hash, "%016llx", (unsigned long long)item.hash);
    return std::to_string(item.size) + " bytes, hash " + hash + ", attributes " + std::to_string(item.attributes) +
           ", written " + std::to_string(item.written);
}

bool same(const Item &a, const Item &b)
{
    return a.dir == b.dir && a.attributes == b.attributes &&
           (a.dir || (a.size == b.size && a.hash == b.hash && a.written == b.written));
}

} // namespace

Snapshot take(const std::string &dir, const std::vector<std::string> &keys)
{
    Snapshot shot;
    walk(dir, shot);
    for (const std::string &key : keys)
        shot.entries[key] = entry_values(key);
    return shot;
}

std::string compare(const Snapshot &before, const Snapshot &after, const std::vector<std::string> &ignored,
                    size_t in_flight)
{
    std::string problems;
    for (const auto &was : before.items) {
        if (is_ignored(was.first, ignored))
            continue;
        auto now = after.items.find(was.first);
        if (now == after.items.end())
            problems += "gone: " + was.first + "\n";
        else if (!same(was.second, now->second))
            problems += "changed: " + was.first + ": " + describe(was.second) + " -> " + describe(now->second) + "\n";
    }
    for (const auto &was : before.entries) {
        auto now = after.entries.find(was.first);
        std::string values = now == after.entries.end() ? "<not taken>" : now->second;
        if (values != was.second)
            problems += "entry " + was.first + ": " + was.second + " -> " + values + "\n";
    }
    std::vector<std::string> made;
    for (const auto &now : after.items)
        if (!is_ignored(now.first, ignored) && !before.items.count(now.first))
            made.push_back(now.first);
    // The folders above an item in flight stay with it: count the deepest.
    size_t deepest = 0;
    for (const std::string &path : made) {
        bool holds_another = false;
        for (const std::string &other : made)
            holds_another = holds_another || (other != path && path_is_below(other.c_str(), path.c_str()));
        deepest += holds_another ? 0 : 1;
    }
    if (problems.empty() && deepest <= in_flight)
        return "";
    for (const std::string &path : made)
        problems += "left behind: " + path + "\n";
    return problems;
}

} // namespace drive
