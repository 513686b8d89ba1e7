// read_eol and read_word over arbitrary bytes with every limit from 0 to
// 300, in binary mode and through the substitute's text mode. Each call must
// stay inside its buffer (exactly limit + 1 bytes, watched by
// AddressSanitizer), hand back exactly the characters the stream holds at
// that point, and move the stream on, so that a loop of calls always ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/fileutil.h"
#include "platform/platform.h"
#include "tests/fuzz/support/fuzz_drive.h"

static const uint32_t MAX_LIMIT = 300;
static const char TEXT_PATH[] = "C:\\setup\\lines.txt";

// What a text-mode stream shows of bytes: CR LF as LF, nothing from a Ctrl-Z on.
static std::string as_text(const std::string &bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        text += bytes[i];
    }
    return text;
}

enum Reader { EOL, WORD };

// One call's promise, from the documented contract: the result, the
// characters stored, and where the stream stands afterwards.
struct Expected {
    int result;
    std::string stored;
    size_t after;
};

static Expected expect_eol(const std::string &s, size_t pos, uint32_t limit, bool buffered)
{
    Expected e{1, "", pos};
    while (e.after < s.size()) {
        char c = s[e.after++];
        if (c == '\n') {
            e.result = 0;
            return e;
        }
        if (buffered && e.stored.size() >= limit) {
            e.result = 3; // the character at hand is consumed with the result
            return e;
        }
        if (buffered)
            e.stored += c;
    }
    return e;
}

static Expected expect_word(const std::string &s, size_t pos, uint32_t limit, bool buffered)
{
    Expected e{1, "", pos};
    while (e.after < s.size() && (s[e.after] == ' ' || s[e.after] == '\t'))
        ++e.after;
    while (e.after < s.size()) {
        char c = s[e.after++];
        if (c == '\n' || c == ' ' || c == '\t') {
            e.result = c == '\n' ? 2 : 0;
            return e;
        }
        if (buffered && e.stored.size() >= limit) {
            e.result = 3;
            return e;
        }
        if (buffered)
            e.stored += c;
    }
    return e;
}

// Reads the whole stream with one reader and one limit, checking each call.
static void read_through(FILE *stream, const std::string &shown, Reader reader, uint32_t limit, bool buffered,
                         bool positions)
{
    std::rewind(stream);
    // Exactly limit + 1 bytes, so that AddressSanitizer sees the first byte beyond.
    char *buffer = buffered ? static_cast<char *>(std::malloc(limit + 1)) : nullptr;
    size_t pos = 0;
    // Every call but the last takes at least one character: a reader that
    // stands still meets another result or text than the model's (and, in
    // binary mode, another position), or never gets to the end.
    for (size_t calls = 0; calls <= shown.size() + 1; ++calls) {
        Expected want =
            reader == EOL ? expect_eol(shown, pos, limit, buffered) : expect_word(shown, pos, limit, buffered);
        int result = reader == EOL ? read_eol(stream, buffer, limit) : read_word(stream, buffer, limit);
        const char *name = reader == EOL ? "read_eol" : "read_word";
        FUZZ_CHECK(result == want.result, "%s(limit %u) at %zu returned %d, expected %d", name, limit, pos, result,
                   want.result);
        if (buffer) {
            // Zero bytes of the input are stored like any other character.
            FUZZ_CHECK(std::memcmp(buffer, want.stored.data(), want.stored.size()) == 0 &&
                           buffer[want.stored.size()] == '\0',
                       "%s(limit %u) at %zu stored other text", name, limit, pos);
        }
        if (positions)
            FUZZ_CHECK(std::ftell(stream) == (long)want.after, "%s(limit %u) left the stream at %ld, expected %zu",
                       name, limit, std::ftell(stream), want.after);
        pos = want.after;
        if (result == 1) {
            std::free(buffer);
            return;
        }
    }
    fuzzdrive::fail("reading never reached the end");
}

static void read_all_ways(FILE *stream, const std::string &shown, bool positions)
{
    // A limit beyond the input's length is never reached: the calls then go
    // as with the input's length plus one, so the larger ones are left out.
    uint32_t top = shown.size() + 1 < MAX_LIMIT ? (uint32_t)shown.size() + 1 : MAX_LIMIT;
    for (Reader reader : {EOL, WORD}) {
        for (uint32_t limit = 0; limit <= top; ++limit)
            read_through(stream, shown, reader, limit, true, positions);
        read_through(stream, shown, reader, 0, false, positions);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdrive::init();
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    if (!fuzzdrive::put(TEXT_PATH, bytes))
        fuzzdrive::fail("cannot write %s", TEXT_PATH);

    FILE *binary = plat_fopen(TEXT_PATH, "rb");
    FILE *text = plat_fopen(TEXT_PATH, "rt");
    FUZZ_CHECK(binary && text, "cannot open %s", TEXT_PATH);
    read_all_ways(binary, bytes, true);
    // A text-mode position counts bytes on disk, so only the text is compared.
    read_all_ways(text, as_text(bytes), false);
    std::fclose(binary);
    std::fclose(text);
    return 0;
}
