// The package reader on an arbitrary program file, in a scratch drive laid
// out anew for each input: find, check and extract as setup.exe runs them.
// Whatever the bytes, nothing is written outside the extraction directory
// (and no path leaves the scratch drive: fuzz_drive.cpp stops the run); a
// package accepted whole has put exactly its entries there, each with the
// size its entry gives; one refused leaves a reason.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "pack/package.h"
#include "platform/platform.h"
#include "tests/fuzz/support/fuzz_drive.h"

using fuzzdrive::Entry;

namespace {
const char PROGRAM[] = "C:\\setup\\in.exe";
const char OUT[] = "C:\\setup\\out";
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdrive::init();
    fuzzdrive::reset();
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    fuzzdrive::put(PROGRAM, bytes);
    fuzzdrive::make_dirs(OUT);
    const std::map<std::string, Entry> before = fuzzdrive::snapshot();

    FILE *f = plat_fopen(PROGRAM, "rb");
    FUZZ_CHECK(f, "the input cannot be opened");
    PACKAGE_READER reader(f, size);
    PACKAGE_RESULT result = reader.find();
    if (result == PACKAGE_OK)
        result = reader.check();
    if (result == PACKAGE_OK)
        result = reader.extract(OUT);
    std::fclose(f);
    FUZZ_CHECK(result == PACKAGE_OK || reader.why[0], "refused without a reason");

    const std::string out = std::string(OUT) + "\\";
    uint32_t files = 0;
    for (const auto &entry : fuzzdrive::snapshot()) {
        const std::string &path = entry.first;
        bool inside = path.compare(0, out.size(), out) == 0;
        if (!inside) {
            auto was = before.find(path);
            FUZZ_CHECK(was != before.end() && was->second.dir == entry.second.dir &&
                           was->second.bytes == entry.second.bytes,
                       "%s was made or changed outside the extraction directory", path.c_str());
        } else if (!entry.second.dir) {
            ++files;
        }
    }
    FUZZ_CHECK(result != PACKAGE_OK || files == reader.where().entries, "%u files for %u entries", (unsigned)files,
               (unsigned)reader.where().entries);
    FUZZ_CHECK(result != PACKAGE_NONE || files == 0, "a program without a package extracted something");
    return 0;
}
