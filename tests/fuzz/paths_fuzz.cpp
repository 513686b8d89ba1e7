// The path and string helpers on arbitrary texts and buffer sizes, under
// the single-byte code page 1252 and the double-byte 932. Each buffer is
// allocated at exactly the size the call is given, so AddressSanitizer sees
// the first byte beyond it; each result is compared with a plain model
// written from the helper's contract.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genstrin.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/path_join.h"
#include "tests/fuzz/support/fuzz_drive.h"
#include "platform/path_text.h"

namespace {

const size_t MAX_SIZE = 300;

// A heap block of exactly size bytes (at least one), filled with fill.
struct Block {
    char *p;
    size_t size;
    Block(size_t n, char fill) : p(static_cast<char *>(std::malloc(n ? n : 1))), size(n ? n : 1)
    {
        std::memset(p, fill, size);
    }
    ~Block() { std::free(p); }
    Block(const Block &) = delete;
    Block &operator=(const Block &) = delete;
    std::string bytes() const { return std::string(p, size); }
};

// A copy of text in a block of exactly its length plus the terminator.
struct CText : Block {
    explicit CText(const std::string &text) : Block(text.size() + 1, 0) { std::memcpy(p, text.data(), text.size()); }
};

// The start of every character of text, as the code page splits it: a lead
// byte takes the byte after it along unless that is the terminator.
std::vector<size_t> char_starts(const std::string &text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size();) {
        starts.push_back(i);
        i += plat_is_lead_byte((unsigned char)text[i]) && i + 1 < text.size() ? 2 : 1;
    }
    return starts;
}

// Offsets of the characters of text that are a single byte in set.
std::vector<size_t> single_bytes_in(const std::string &text, const char *set)
{
    std::vector<size_t> found;
    for (size_t i : char_starts(text)) {
        bool single = !(plat_is_lead_byte((unsigned char)text[i]) && i + 1 < text.size());
        if (single && text[i] && std::strchr(set, text[i]))
            found.push_back(i);
    }
    return found;
}

std::string upper(std::string text)
{
    for (char &c : text)
        c = (char)std::toupper((unsigned char)c);
    return text;
}

// ---- bounded copies ---------------------------------------------------------

void check_join_path(FuzzedDataProvider &in)
{
    size_t size = in.ConsumeIntegralInRange<size_t>(0, MAX_SIZE);
    std::string parts[4];
    for (std::string &part : parts)
        part = in.ConsumeRandomLengthString(120).c_str();
    int missing = in.ConsumeIntegralInRange<int>(-1, 3); // one part null, or none
    Block out(size, 'Q');
    std::string before = out.bytes();
    const char *p[4];
    for (int i = 0; i < 4; ++i)
        p[i] = i == missing ? nullptr : parts[i].c_str();
    std::string whole = parts[0] + parts[1] + parts[2] + parts[3];
    bool fits = missing < 0 && whole.size() < size;
    bool joined = join_path(out.p, size, p[0], p[1], p[2], p[3]);
    FUZZ_CHECK(joined == fits, "join_path into %zu bytes of %zu characters: %d", size, whole.size(), (int)joined);
    if (joined)
        FUZZ_CHECK(whole == out.p, "join_path wrote other text");
    else
        FUZZ_CHECK(out.bytes() == before, "a refused join_path changed its output");
}

void check_path_append(FuzzedDataProvider &in)
{
    size_t size = in.ConsumeIntegralInRange<size_t>(1, MAX_SIZE);
    std::string dir = in.ConsumeRandomLengthString(150).c_str(), name = in.ConsumeRandomLengthString(150).c_str();
    Block out(size, 'Q');
    bool ends_in_separator = false;
    for (size_t i : char_starts(dir))
        ends_in_separator = (dir[i] == '\\' || dir[i] == '/') && i + 1 == dir.size();
    std::string whole = dir + (dir.empty() || ends_in_separator ? "" : "\\") + name;
    bool appended = path_append(out.p, size, dir.c_str(), name.c_str());
    FUZZ_CHECK(appended == (whole.size() < size), "path_append of %zu characters into %zu bytes: %d", whole.size(),
               size, (int)appended);
    FUZZ_CHECK(appended ? whole == out.p : !out.p[0], "path_append wrote %s", out.p);
}

void check_copy_path(FuzzedDataProvider &in)
{
    uint32_t size = in.ConsumeIntegralInRange<uint32_t>(1, MAX_SIZE);
    std::string source = in.ConsumeRandomLengthString(300).c_str();
    Block dest(size, 'Q');
    err_code = 0;
    copy_path(dest.p, source.c_str(), size);
    std::vector<size_t> separators = single_bytes_in(source, "\\");
    bool ends_in_one = !separators.empty() && separators.back() + 1 == source.size();
    std::string want = source.empty() || ends_in_one ? source : source + "\\";
    if (want.size() < size) {
        FUZZ_CHECK(want == dest.p && dest.bytes() == want + std::string(size - want.size(), '\0'),
                   "copy_path wrote other bytes");
    } else {
        FUZZ_CHECK(dest.bytes() == std::string(size, '\0') && err_code == ERR_STRING_BOUNDS,
                   "copy_path did not refuse");
    }
}

void check_extract(FuzzedDataProvider &in)
{
    uint32_t size = in.ConsumeIntegralInRange<uint32_t>(1, MAX_SIZE);
    std::string path = in.ConsumeRandomLengthString(300).c_str();
    std::vector<size_t> separators = single_bytes_in(path, "\\");
    std::string name = separators.empty() ? path : path.substr(separators.back() + 1);

    Block dest(size, 'Q');
    err_code = 0;
    extract_filename(dest.p, path.c_str(), size);
    if (name.size() < size)
        FUZZ_CHECK(dest.bytes() == name + std::string(size - name.size(), '\0'), "extract_filename wrote other bytes");
    else
        FUZZ_CHECK(dest.bytes() == std::string(size, '\0') && err_code == ERR_STRING_BOUNDS,
                   "extract_filename did not refuse");

    // The directory part of the copy cut to size - 1 characters.
    Block dir(size, 'Q');
    extract_path(dir.p, path.c_str(), size);
    std::string cut = path.substr(0, size - 1);
    std::vector<size_t> cut_separators = single_bytes_in(cut, "\\");
    std::string want = cut_separators.empty() ? "" : cut.substr(0, cut_separators.back() + 1);
    FUZZ_CHECK(want == dir.p, "extract_path gave %s, expected %s", dir.p, want.c_str());
}

void check_copy_chars(FuzzedDataProvider &in)
{
    uint32_t count = in.ConsumeIntegralInRange<uint32_t>(0, MAX_SIZE);
    uint32_t limit = in.ConsumeIntegralInRange<uint32_t>(0, MAX_SIZE);
    std::string source = in.ConsumeRandomLengthString(300).c_str();
    uint32_t bound = count < limit ? count : limit;
    Block dest(bound + 1, 'Q');
    CText text(source);
    copy_chars_limit(dest.p, text.p, count, limit);
    FUZZ_CHECK(source.substr(0, bound) == dest.p, "copy_chars_limit copied other text");
}

// ---- searching ----------------------------------------------------------------

void check_find_substring(FuzzedDataProvider &in)
{
    std::string text = in.ConsumeRandomLengthString(200), pattern = in.ConsumeRandomLengthString(8);
    uint32_t start = in.ConsumeIntegralInRange<uint32_t>(0, (uint32_t)text.size() + 2);
    bool nocase = in.ConsumeBool();
    // Blocks of exactly n and m bytes: nothing after them may be read.
    Block t(text.size(), 0), p(pattern.size(), 0);
    std::memcpy(t.p, text.data(), text.size());
    std::memcpy(p.p, pattern.data(), pattern.size());
    uint32_t n = (uint32_t)text.size(), m = (uint32_t)pattern.size();
    int32_t found = nocase ? find_substring_nocase(t.p, p.p, n, m, start) : find_substring(t.p, p.p, n, m, start);
    size_t want = pattern.empty() || start > n ? std::string::npos
                  : nocase                     ? upper(text).find(upper(pattern), start)
                                               : text.find(pattern, start);
    FUZZ_CHECK(found == (want == std::string::npos ? -1 : (int32_t)want), "find_substring%s gave %d, expected %zd",
               nocase ? "_nocase" : "", (int)found, want == std::string::npos ? (ssize_t)-1 : (ssize_t)want);

    std::string ctext = text.c_str(), cpattern = pattern.c_str();
    CText ct(ctext), cp(cpattern);
    const char *hit = find_string_nocase(ct.p, cp.p);
    size_t want_hit = cpattern.empty() ? std::string::npos : upper(ctext).find(upper(cpattern));
    FUZZ_CHECK(hit == (want_hit == std::string::npos ? nullptr : ct.p + want_hit), "find_string_nocase");
}

void check_backslashes(FuzzedDataProvider &in)
{
    std::string text = in.ConsumeRandomLengthString(300).c_str();
    CText t(text);
    std::vector<size_t> separators = single_bytes_in(text, "\\");
    const char *next = next_backslash(t.p);
    FUZZ_CHECK(next == t.p + (separators.empty() ? text.size() : separators.front()), "next_backslash");
    const char *last = last_backslash(static_cast<const char *>(t.p));
    FUZZ_CHECK(last == (separators.empty() ? nullptr : t.p + separators.back()), "last_backslash");
    FUZZ_CHECK(ends_in_backslash(t.p) == (!separators.empty() && separators.back() + 1 == text.size()),
               "ends_in_backslash");
    const char *name = path_file_name(t.p);
    std::vector<size_t> any = single_bytes_in(text, "\\/");
    FUZZ_CHECK(name == t.p + (any.empty() ? 0 : any.back() + 1), "path_file_name");
}

// ---- the directory-prefix walk ------------------------------------------------

struct Walk {
    std::vector<std::string> seen;
    size_t stop_at; // the visit that answers false
};

bool record(const char *prefix, void *context)
{
    Walk *walk = static_cast<Walk *>(context);
    walk->seen.push_back(prefix);
    return walk->seen.size() != walk->stop_at;
}

void check_walk(FuzzedDataProvider &in)
{
    std::string path = in.ConsumeRandomLengthString(300).c_str();
    Walk walk{{}, in.ConsumeIntegralInRange<size_t>(0, 12)};
    CText p(path);
    bool finished = walk_path_prefixes(p.p, record, &walk);
    FUZZ_CHECK(path == p.p, "walk_path_prefixes changed its path");

    // The prefixes the contract names: the path up to each end of a
    // component (a character before a separating backslash, or the last),
    // without the leading "X:" component.
    std::vector<std::string> want;
    std::vector<size_t> starts = char_starts(path);
    bool in_component = false, first = true;
    size_t component = 0;
    for (size_t k = 0; k <= starts.size(); ++k) {
        size_t at = k < starts.size() ? starts[k] : path.size();
        bool separator = k == starts.size() || path[at] == '\\'; // never the lead byte of a pair
        if (separator && in_component) {
            bool drive = first && at - component == 2 && path[component + 1] == ':';
            if (!drive)
                want.push_back(path.substr(0, at));
            first = false;
        }
        if (!separator && !in_component)
            component = at;
        in_component = !separator;
    }
    if (walk.stop_at > 0 && want.size() >= walk.stop_at) {
        want.resize(walk.stop_at);
        FUZZ_CHECK(!finished, "a walk that was stopped reported true");
    } else {
        FUZZ_CHECK(finished, "a walk that was not stopped reported false");
    }
    FUZZ_CHECK(walk.seen == want, "walk_path_prefixes of %s: %zu prefixes, expected %zu", path.c_str(),
               walk.seen.size(), want.size());
    for (size_t i = 0; i < walk.seen.size(); ++i)
        FUZZ_CHECK(path.compare(0, walk.seen[i].size(), walk.seen[i]) == 0 &&
                       (i == 0 || walk.seen[i].size() > walk.seen[i - 1].size()),
                   "prefix %zu is no longer prefix of the path", i);
}

// ---- names ----------------------------------------------------------------------

bool is_device(std::string name)
{
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    for (char &c : name)
        c = (char)std::tolower((unsigned char)c);
    for (const char *device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
        if (name == device)
            return true;
    // The digits 1 to 9, and the superscripts one, two and three of the ANSI code page.
    return name.size() == 4 && (name.compare(0, 3, "com") == 0 || name.compare(0, 3, "lpt") == 0) &&
           std::strchr("123456789\xb9\xb2\xb3", name[3]) && name[3];
}

void check_title_file_name(FuzzedDataProvider &in)
{
    size_t size = in.ConsumeIntegralInRange<size_t>(1, MAX_SIZE);
    std::string title = in.ConsumeRandomLengthString(300).c_str();
    Block out(size, 'Q');
    CText t(title);
    bool made = title_file_name(t.p, out.p, size);
    size_t shown = strnlen(out.p, size);
    FUZZ_CHECK(shown < size, "title_file_name left its output unterminated");

    // The title up to its last character that is not a single dot or blank.
    size_t len = 0;
    std::vector<size_t> starts = char_starts(title);
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t next = k + 1 < starts.size() ? starts[k + 1] : title.size();
        if (next - starts[k] > 1 || (title[starts[k]] != '.' && title[starts[k]] != ' '))
            len = next;
    }
    bool front = len == 0 || is_device(title.substr(0, len));
    if (!made) {
        FUZZ_CHECK(shown == 0, "a refused title_file_name left text");
        FUZZ_CHECK(len + (front ? 2 : 1) > size, "title_file_name refused a name that fits");
        return;
    }
    std::string name = out.p;
    FUZZ_CHECK(name.size() == len + (front ? 1 : 0) && (!front || name[0] == '_'), "title_file_name made %s of %s",
               name.c_str(), title.c_str());
    // Each character kept, or a forbidden one made "_".
    for (size_t i : single_bytes_in(title.substr(0, len), "\\/:*?\"<>|"))
        FUZZ_CHECK(name[i + (front ? 1 : 0)] == '_', "a forbidden character kept in %s", name.c_str());
    for (size_t i = 0; i < len; ++i)
        FUZZ_CHECK(name[i + (front ? 1 : 0)] == title[i] || name[i + (front ? 1 : 0)] == '_',
                   "title_file_name changed %s into %s", title.c_str(), name.c_str());
    for (size_t i : char_starts(name)) {
        bool single = !(plat_is_lead_byte((unsigned char)name[i]) && i + 1 < name.size());
        unsigned char c = (unsigned char)name[i];
        FUZZ_CHECK(!single || (c >= 32 && !std::strchr("\\/:*?\"<>|", c)), "forbidden character %02x in %s", c,
                   name.c_str());
        if (single && i + 1 == name.size())
            FUZZ_CHECK(c != '.' && c != ' ', "the name ends in a dot or blank: %s", name.c_str());
    }
    FUZZ_CHECK(!is_device(name), "a device name: %s", name.c_str());
}

// A part of a name as setup takes it: not empty, not dots and blanks with
// a dot, not a device, no single-byte control character or * ? " < > | :,
// and no single dot or blank at its end.
bool plain_part_model(const std::string &part)
{
    if (part.empty() || (part.find('.') != std::string::npos && part.find_first_not_of(". ") == std::string::npos) ||
        is_device(part))
        return false;
    std::vector<size_t> starts = char_starts(part);
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t next = k + 1 < starts.size() ? starts[k + 1] : part.size();
        unsigned char c = (unsigned char)part[starts[k]];
        bool single = next - starts[k] == 1;
        if (single && (c < 32 || std::strchr("*?\"<>|:", c)))
            return false;
        if (k + 1 == starts.size() && single && (c == '.' || c == ' '))
            return false;
    }
    return true;
}

// Every part of text, split at single-byte backslashes and slashes, plain;
// the last may be empty where a trailing separator is allowed.
bool plain_parts_model(const std::string &text, bool trailing)
{
    std::vector<size_t> separators = single_bytes_in(text, "\\/");
    separators.push_back(text.size());
    size_t start = 0;
    for (size_t end : separators) {
        bool last = end == text.size();
        if (!plain_part_model(text.substr(start, end - start)) && !(last && trailing && end == start))
            return false;
        start = end + 1;
    }
    return true;
}

// The contracts of file_name_stays_inside and is_full_path, said once more.
bool stays_inside_model(const std::string &name)
{
    return !name.empty() && name.find(':') == std::string::npos && plain_parts_model(name, false);
}

// A '/' that a lead byte takes as its trail byte would be a separator to
// the file system on another code page: no full path holds one.
bool slash_swallowed(const std::string &text)
{
    for (size_t i : char_starts(text))
        if (plat_is_lead_byte((unsigned char)text[i]) && i + 1 < text.size() && text[i + 1] == '/')
            return true;
    return false;
}

bool full_path_model(const std::string &path)
{
    return !slash_swallowed(path) && path.size() >= 3 && std::isalpha((unsigned char)path[0]) && path[1] == ':' &&
           path[2] == '\\' && plain_parts_model(path.substr(3), true);
}

void check_names(FuzzedDataProvider &in)
{
    std::string value = in.ConsumeRandomLengthString(300);
    // The name is the run before a comma; the text goes on after it.
    size_t len = in.ConsumeIntegralInRange<size_t>(0, value.size());
    CText v(value); // a value of setup.ini is always terminated
    std::string name = value.substr(0, len);
    // A zero byte cannot be part of a name that setup.ini gives.
    if (name.find('\0') == std::string::npos)
        FUZZ_CHECK(file_name_stays_inside(v.p, len) == stays_inside_model(name), "file_name_stays_inside(%s)",
                   name.c_str());

    std::string path = value.c_str();
    CText p(path);
    FUZZ_CHECK(is_full_path(p.p) == full_path_model(path), "is_full_path(%s)", path.c_str());
    FUZZ_CHECK(same_path(p.p, p.p), "same_path is not reflexive");
    FUZZ_CHECK(!path_is_below(p.p, p.p), "a path below itself");
    std::string other = in.ConsumeRandomLengthString(100).c_str();
    CText o(other);
    FUZZ_CHECK(same_path(p.p, o.p) == same_path(o.p, p.p), "same_path is not symmetric");
    FUZZ_CHECK(!(path_is_below(p.p, o.p) && (same_path(p.p, o.p) || path_is_below(o.p, p.p))),
               "path_is_below of two paths both ways");
}

void run(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: check_join_path(in); break;
        case 1: check_path_append(in); break;
        case 2: check_copy_path(in); break;
        case 3: check_extract(in); break;
        case 4: check_copy_chars(in); break;
        case 5: check_find_substring(in); break;
        case 6: check_backslashes(in); break;
        case 7: check_walk(in); break;
        case 8: check_title_file_name(in); break;
        default: check_names(in); break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    for (unsigned code_page : {1252u, 932u}) {
        plat_test_set_code_page(code_page);
        run(data, size);
    }
    plat_test_set_code_page(1252);
    return 0;
}
