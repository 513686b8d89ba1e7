// Extracts a setup package natively, as setup.exe does before it installs:
// the header, the payload's CRC in one pass, then every file, checked as it
// is written. bench/pack_bench.sh runs it under /usr/bin/time -v for the
// extractor's peak memory; no test does.
//
//   unpack_bench PROGRAM DIR
//
// DIR must exist. Prints the entries and bytes, and the milliseconds of the
// check and of the extraction.
#include <chrono>
#include <cstdio>

#include "pack/package.h"
#include "platform/platform.h"

namespace {

using CLOCK = std::chrono::steady_clock;

double ms_since(CLOCK::time_point from)
{
    return std::chrono::duration<double, std::milli>(CLOCK::now() - from).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: unpack_bench PROGRAM DIR\n", stderr);
        return 3;
    }
    int64_t size = plat_file_size(argv[1]);
    FILE *program = size > 0 ? plat_fopen(argv[1], "rb") : nullptr;
    if (!program) {
        std::fprintf(stderr, "unpack_bench: %s cannot be read\n", argv[1]);
        return 1;
    }
    PACKAGE_READER reader(program, (uint64_t)size);
    PACKAGE_RESULT result = reader.find();
    CLOCK::time_point start = CLOCK::now();
    if (result == PACKAGE_OK)
        result = reader.check();
    double check_ms = ms_since(start);
    start = CLOCK::now();
    if (result == PACKAGE_OK)
        result = reader.extract(argv[2]);
    double extract_ms = ms_since(start);
    std::fclose(program);
    if (result != PACKAGE_OK) {
        std::fprintf(stderr, "unpack_bench: %s: %s (%d)\n", argv[1], reader.why, (int)result);
        return 2;
    }
    std::printf("%u entries, %llu bytes of payload: check %.0f ms, extraction %.0f ms\n", reader.where().entries,
                (unsigned long long)reader.where().payload_length, check_ms, extract_ms);
    return 0;
}
