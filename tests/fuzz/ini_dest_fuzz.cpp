// setup.ini of arbitrary bytes through load_ini, then every entry's
// destination, by index, into buffers of 0 to 300 bytes. What load_ini keeps must be
// what it promises to accept, and dest_path must report the whole length
// while writing only a terminated prefix that fits.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "lib/generr.h"
#include "platform/platform.h"
#include "setup/names.h"
#include "setup/setup.h"
#include "tests/fuzz/support/fuzz_drive.h"

static const char INI_PATH[] = "C:\\setup\\setup.ini";
static const int32_t MAX_BUFFER = 300;

// True when a line of data (after a UTF-8 mark, before a Ctrl-Z, where a
// text-mode read ends) starts with a key setup knows, in any case, followed
// at once by "=": such a file is a description, whatever else it holds.
static bool has_key_line(const uint8_t *data, size_t size)
{
    const void *ctrl_z = std::memchr(data, 0x1A, size);
    if (ctrl_z)
        size = (size_t)(static_cast<const uint8_t *>(ctrl_z) - data);
    static const char *const KEYS[] = {"apptitle",    "author",   "email",   "website", "desc",
                                       "installpath", "basepath", "exename", "file"};
    size_t start = size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
    for (size_t at = start; at < size; ++at) {
        if (at != start && data[at - 1] != '\n')
            continue;
        for (const char *key : KEYS) {
            size_t len = std::strlen(key);
            if (at + len < size && data[at + len] == '=' &&
                strncasecmp(reinterpret_cast<const char *>(data + at), key, len) == 0)
                return true;
        }
    }
    return false;
}

static void check_loaded(const SETUP_TYPE &job, bool loaded, const uint8_t *data, size_t size)
{
    const bool utf16 = size >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
    FUZZ_CHECK(!utf16 || (!loaded && err_code == ERR_INI_UTF16), "a UTF-16 description was read (%d)", (int)err_code);
    FUZZ_CHECK(utf16 || err_code != ERR_INI_UTF16, "a description without a UTF-16 mark was taken for UTF-16");
    FUZZ_CHECK(job.num_files >= 0 && job.num_files <= MAX_SETUP_FILES, "%d entries", (int)job.num_files);
    for (int32_t i = 0; i < job.num_files; ++i) {
        const SETUP_FILE *entry = job.files[i];
        FUZZ_CHECK(entry && entry->name && entry->name[0], "entry %d without a name", (int)i);
        FUZZ_CHECK(file_name_stays_inside(entry->name, std::strlen(entry->name)), "entry %d leaves its directory: %s",
                   (int)i, entry->name);
        FUZZ_CHECK(file_name_fits(entry->name, std::strlen(entry->name), entry->path_type) &&
                       !std::strchr(entry->name, '/'),
                   "entry %d does not fit below C:\\ or keeps a \"/\": %s", (int)i, entry->name);
        FUZZ_CHECK(entry->path_type == PATH_APP || entry->path_type == PATH_WINDOWS || entry->path_type == PATH_WINSYS,
                   "entry %d has path type %d", (int)i, (int)entry->path_type);
    }
    FUZZ_CHECK(!loaded || file_name_stays_inside(job.get_exename(), std::strlen(job.get_exename())) ||
                   !job.get_exename()[0],
               "a program outside the install directory was accepted: %s", job.get_exename());
    const char *installpath = job.get_installpath();
    FUZZ_CHECK(!job.installpath || !installpath[0] || is_full_path(installpath) || !loaded,
               "an install path that is not full was accepted: %s", installpath);
    FUZZ_CHECK(err_code != ERR_INI_NO_KEYS || !has_key_line(data, size), "a description with a key line was refused");
    if (!loaded && (err_code == ERR_INI_UTF16 || err_code == ERR_INI_NO_KEYS)) {
        // Refused as a whole: no line of it was taken.
        FUZZ_CHECK(job.num_files == 0 && !job.refused_line[0], "%d entries or a refused line kept for %d",
                   (int)job.num_files, (int)err_code);
    } else if (!loaded) {
        // The file is there, so the only other failures are refused lines,
        // and the author is shown which one.
        FUZZ_CHECK(err_code == ERR_TABLE_FULL || err_code == ERR_NULL_POINTER || err_code == ERR_FILE_NAME_LEAVES_DIR ||
                       err_code == ERR_INSTALL_PATH_NOT_FULL || err_code == ERR_INSTALL_PATH_QUESTION_MARK ||
                       err_code == ERR_INSTALL_PATH_CHANGED_END || err_code == ERR_FILE_NAME_TOO_LONG,
                   "load_ini failed with %d", (int)err_code);
        FUZZ_CHECK(job.refused_line[0] && std::strchr(job.refused_line, '='), "no refused line kept for %d",
                   (int)err_code);
    }
}

// The destination entry index should have, whole.
static std::string whole_destination(const SETUP_TYPE &job, int32_t index)
{
    const SETUP_FILE *entry = job.files[index];
    const char *base = entry->path_type == PATH_WINDOWS  ? job.windows_dir
                       : entry->path_type == PATH_WINSYS ? job.system_dir
                                                         : job.get_installpath();
    return base ? std::string(base) + entry->name : std::string();
}

static void check_destinations(SETUP_TYPE &job)
{
    for (int32_t i = 0; i < job.num_files; ++i) {
        job.cur_file = i;
        const std::string whole = whole_destination(job, i);
        FUZZ_CHECK(job.dest_path(nullptr, 10) == (int32_t)whole.size(), "length without a buffer");
        job.cur_file = -1;
        for (int32_t size = 0; size <= MAX_BUFFER; ++size) {
            // Exactly size bytes, so that AddressSanitizer sees the first byte
            // beyond; a zero-sized call gets one byte that must stay as it was.
            char *buffer = static_cast<char *>(std::malloc(size ? (size_t)size : 1));
            if (!size)
                buffer[0] = 'Z';
            int32_t length = job.dest_path_of(i, buffer, size);
            FUZZ_CHECK(length == (int32_t)whole.size(), "dest_path returned %d for a path of %zu", (int)length,
                       whole.size());
            if (!size) {
                FUZZ_CHECK(buffer[0] == 'Z', "a zero-sized buffer was written");
            } else {
                size_t shown = strnlen(buffer, (size_t)size);
                size_t expected = whole.size() < (size_t)size - 1 ? whole.size() : (size_t)size - 1;
                FUZZ_CHECK(shown == expected, "%zu characters shown in %d bytes, expected %zu", shown, (int)size,
                           expected);
                FUZZ_CHECK(whole.compare(0, shown, buffer, shown) == 0, "not a prefix of %s", whole.c_str());
            }
            std::free(buffer);
        }
    }
    char buffer[4] = "xyz";
    FUZZ_CHECK(job.dest_path(buffer, sizeof buffer) == 0 && !buffer[0], "a destination without a current entry");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdrive::init();
    if (!fuzzdrive::put(INI_PATH, std::string(reinterpret_cast<const char *>(data), size)))
        fuzzdrive::fail("cannot write %s", INI_PATH);
    // Once as a single-byte system with both directories known, once under
    // code page 932 with both queries failed.
    for (int pass = 0; pass < 2; ++pass) {
        plat_test_set_code_page(pass ? 932 : 1252);
        SETUP_TYPE job;
        if (pass)
            job.set_system_dirs(nullptr, nullptr);
        err_code = 0;
        bool loaded = job.load_ini(INI_PATH);
        check_loaded(job, loaded, data, size);
        check_destinations(job);
    }
    plat_test_set_code_page(1252);
    return 0;
}
