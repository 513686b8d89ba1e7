// The install job's data: construction, clearing, the description's setters
// and getters, the file list and its cursor.
#include <cstdlib>
#include <cstring>
#include <new>

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "lib/genmem.h"
#include "lib/genstrin.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/setup.h"

SETUP_FILE::SETUP_FILE() : name(nullptr), path_type(PATH_APP) {}

SETUP_FILE::~SETUP_FILE()
{
    std::free(name);
    name = nullptr;
}

// A directory query's answer with its trailing backslash, or null.
static char *capture_dir(unsigned (*query)(char *, unsigned))
{
    char buffer[SETUP_PATH_SIZE + 1]; // the query's answer, and room for the backslash
    if (query(buffer, SETUP_PATH_SIZE) == 0)
        return nullptr;
    return create_ptr(terminate_path(buffer));
}

SETUP_TYPE::SETUP_TYPE()
    : windows_dir(nullptr), system_dir(nullptr), installpath(nullptr), basepath(nullptr), exename(nullptr),
      apptitle(nullptr), author(nullptr), email(nullptr), website(nullptr), desc(nullptr), version(nullptr),
      publisher(nullptr), files{}, num_files(0), cur_file(-1), batch_kept(false), link_kept(false), refused_line{},
      earlier_lines(0), unlogged{}, unlogged_dir(false)
{
    windows_dir = capture_dir(plat_windows_dir);
    system_dir = capture_dir(plat_system_dir);
}

SETUP_TYPE::~SETUP_TYPE()
{
    clear_job();
    std::free(windows_dir);
    std::free(system_dir);
    windows_dir = system_dir = nullptr;
}

void SETUP_TYPE::clear_job()
{
    char **fields[] = {&apptitle,    &author,   &email,   &website, &desc,
                       &installpath, &basepath, &exename, &version, &publisher};
    for (char **field : fields) {
        std::free(*field);
        *field = nullptr;
    }
    for (int32_t i = 0; i < num_files; ++i) {
        if (files[i]) {
            files[i]->~SETUP_FILE();
            std::free(files[i]); // entries are made with plat_malloc
            files[i] = nullptr;
        }
    }
    num_files = 0;
    cur_file = -1;
    refused_line[0] = '\0';
    close_log();
}

void SETUP_TYPE::close_log() { log.close(); }

static void replace_text(char *&field, const char *text)
{
    std::free(field);
    field = create_ptr(text);
}

// Directory fields keep a trailing backslash unless they are empty.
static void replace_dir(char *&field, const char *path)
{
    std::free(field);
    field = nullptr;
    if (!path)
        return;
    size_t len = std::strlen(path);
    field = create_ptr((uint32_t)(len + 2)); // zeroed: room for the backslash and the terminator
    std::memcpy(field, path, len);
    terminate_path(field);
}

void SETUP_TYPE::set_system_dirs(const char *windows, const char *system)
{
    replace_dir(windows_dir, windows);
    replace_dir(system_dir, system);
}

void SETUP_TYPE::set_apptitle(const char *text) { replace_text(apptitle, text); }
void SETUP_TYPE::set_author(const char *text) { replace_text(author, text); }
void SETUP_TYPE::set_email(const char *text) { replace_text(email, text); }
void SETUP_TYPE::set_website(const char *text) { replace_text(website, text); }
void SETUP_TYPE::set_desc(const char *text) { replace_text(desc, text); }
void SETUP_TYPE::set_exename(const char *text) { replace_text(exename, text); }
void SETUP_TYPE::set_version(const char *text) { replace_text(version, text); }
void SETUP_TYPE::set_publisher(const char *text) { replace_text(publisher, text); }
void SETUP_TYPE::set_installpath(const char *path) { replace_dir(installpath, path); }
void SETUP_TYPE::set_basepath(const char *path) { replace_dir(basepath, path); }

const char *SETUP_TYPE::get_apptitle() const { return apptitle ? apptitle : "Unknown"; }
const char *SETUP_TYPE::get_installpath() const { return installpath ? installpath : "c:\\"; }
const char *SETUP_TYPE::get_exename() const { return exename ? exename : ""; }
const char *SETUP_TYPE::get_email() const { return email ? email : "none"; }
const char *SETUP_TYPE::get_website() const { return website ? website : "none"; }
const char *SETUP_TYPE::get_basepath() const { return basepath ? basepath : "none"; }
const char *SETUP_TYPE::get_desc() const { return desc ? desc : "No description supplied"; }
const char *SETUP_TYPE::get_version() const { return version ? version : ""; }
const char *SETUP_TYPE::get_publisher() const { return publisher ? publisher : ""; }

namespace {

struct PathTypeWord {
    const char *word;
    int32_t path_type;
};

const PathTypeWord path_type_words[] = {
    {"app_path", PATH_APP},        {"default_path", PATH_APP},     {"win_path", PATH_WINDOWS},
    {"window_path", PATH_WINDOWS}, {"windows_path", PATH_WINDOWS}, {"winsys_path", PATH_WINSYS},
};

} // namespace

int32_t path_type_named(const char *word, size_t len)
{
    for (const PathTypeWord &known : path_type_words) {
        if (std::strlen(known.word) != len)
            continue;
        size_t i = 0;
        while (i < len && ascii_lower(word[i]) == known.word[i])
            ++i;
        if (i == len)
            return known.path_type;
    }
    return 0;
}

const char *path_type_word(int index)
{
    const int count = (int)(sizeof path_type_words / sizeof path_type_words[0]);
    return index >= 0 && index < count ? path_type_words[index].word : nullptr;
}

FILE_FIELDS split_file_value(const char *value)
{
    FILE_FIELDS fields = {value, 0, nullptr, 0, nullptr};
    if (!value)
        return fields;
    fields.name = value + std::strspn(value, ",");
    fields.name_len = std::strcspn(fields.name, ",");
    const char *p = fields.name + fields.name_len;
    p += std::strspn(p, ",");
    fields.word = p;
    fields.word_len = std::strcspn(p, ",");
    p += fields.word_len;
    p += std::strspn(p, ",");
    if (fields.word_len > 0 && *p)
        fields.rest = p;
    return fields;
}

bool SETUP_TYPE::add_file(const char *value)
{
    if (!value) {
        err_code = ERR_NULL_POINTER;
        return false;
    }
    if (num_files >= MAX_SETUP_FILES) {
        err_code = ERR_TABLE_FULL;
        return false;
    }
    FILE_FIELDS fields = split_file_value(value);
    if (fields.name_len == 0) {
        // An entry without a name could be neither copied nor placed.
        err_code = ERR_NULL_POINTER;
        return false;
    }
    // The name is read below the setup directory and written below the
    // destination: it must not lead out of either.
    if (!file_name_stays_inside(fields.name, fields.name_len)) {
        err_code = ERR_FILE_NAME_LEAVES_DIR;
        return false;
    }
    int32_t type = path_type_named(fields.word, fields.word_len);
    // Refused now rather than after half the files are in place.
    if (!file_name_fits(fields.name, fields.name_len, type ? type : PATH_APP)) {
        err_code = ERR_FILE_NAME_TOO_LONG;
        return false;
    }
    void *memory = plat_malloc(sizeof(SETUP_FILE));
    if (!memory)
        return false; // no code of its own: err_code keeps what it held
    SETUP_FILE *entry = new (memory) SETUP_FILE();
    entry->name = create_ptr((uint32_t)(fields.name_len + 1));
    std::memcpy(entry->name, fields.name, fields.name_len);
    // Its folders are made, logged and removed by the backslash alone. Byte
    // by byte: 0x2F is no trail byte in any double-byte code page, and a
    // lead byte before it must not hide it.
    for (size_t i = 0; i < fields.name_len; ++i)
        if (entry->name[i] == '/')
            entry->name[i] = '\\';
    if (type)
        entry->path_type = type;
    files[num_files++] = entry;
    return true;
}

SETUP_FILE *SETUP_TYPE::current_file() const { return cur_file == -1 ? nullptr : files[cur_file]; }

bool SETUP_TYPE::more_files() const { return cur_file != -1; }

bool SETUP_TYPE::next_file()
{
    if (cur_file == -1)
        return false;
    if (++cur_file < num_files)
        return true;
    cur_file = -1;
    return false;
}

int32_t SETUP_TYPE::percent_done() const
{
    if (cur_file == -1 || num_files == 0)
        return 0;
    return (cur_file + 1) * 100 / num_files;
}
