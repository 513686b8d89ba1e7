// The setup package: what the writer packs comes out byte for byte, every
// kind of damage is refused before anything leaves the extraction
// directory, and setup /S installs from the one file as from the folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>
#include <zlib.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include "lib/fileutil.h"
#include "lib/generr.h"
#include "pack/package.h"
#include "pack/package_setup.h"
#include "platform/dirsearch.h"
#include "platform/platform.h"
#include "setup/path_join.h"
#include "tests/unit/support/job_fixture.h"
#include "tests/unit/support/pe_image.h"
#include "tests/unit/support/test_env.h"

using testenv::read_file;
using testenv::write_file;

namespace {

uint32_t u32(const std::string &s, size_t at)
{
    return (uint32_t)(unsigned char)s[at] | (uint32_t)(unsigned char)s[at + 1] << 8 |
           (uint32_t)(unsigned char)s[at + 2] << 16 | (uint32_t)(unsigned char)s[at + 3] << 24;
}
uint64_t u64(const std::string &s, size_t at) { return u32(s, at) | (uint64_t)u32(s, at + 4) << 32; }
void put64(std::string &s, size_t at, uint64_t v)
{
    testpe::put32(s, at, (uint32_t)v);
    testpe::put32(s, at + 4, (uint32_t)(v >> 32));
}
uint32_t crc(const std::string &s, size_t at, size_t len)
{
    return (uint32_t)crc32(0, reinterpret_cast<const Bytef *>(s.data() + at), (uInt)len);
}

// Bytes that deflate cannot shrink.
std::string noise(size_t len)
{
    std::string s(len, '\0');
    uint32_t x = 2463534242u;
    for (char &c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = (char)(x & 0xFF);
    }
    return s;
}

// The number of entries of the temporary directory named setup-*.
int extracted_dirs()
{
    char temp[260], pattern[300];
    if (!plat_temp_dir(temp, sizeof temp))
        return -1;
    if (!join_dir(pattern, sizeof pattern, temp, "setup-*"))
        return -1;
    plat_finddata record;
    intptr_t search = plat_findfirst(pattern, &record);
    int count = 0;
    for (int found = search == -1 ? -1 : 0; found == 0; found = plat_findnext(search, &record))
        ++count;
    if (search != -1)
        plat_findclose(search);
    return count;
}

} // namespace

class PackageTest : public LinkJobTest {
protected:
    const std::string stub = testpe::program_with_version(0x0001000200030004ULL);
    // The files of the setup directory, in the order they are packed.
    std::vector<std::pair<std::string, std::string>> files = {
        {"setup.ini", "apptitle=Packed Tool\nfile=a.txt\nfile=help\\b.bin\n"},
        {"a.txt", std::string(200000, 'a') + "the end"},
        {"help\\b.bin", noise(70000)},
        {"empty.txt", ""},
    };

    void SetUp() override
    {
        LinkJobTest::SetUp();
        // A death test's child lays out the same directories again.
        ASSERT_TRUE(testenv::make_dir(source + "help") || dir_exists((source + "help").c_str()));
        files[0].second += "installpath=" + root + "Packed\n";
#ifndef _WIN32
        ASSERT_TRUE(testenv::make_dir(root + "temp") || dir_exists((root + "temp").c_str()));
        plat_test_set_temp_dir((root + "temp\\").c_str());
#endif
    }
    void TearDown() override
    {
#ifndef _WIN32
        plat_test_set_temp_dir("C:\\TEMP");
#endif
        LinkJobTest::TearDown();
    }

    // The stub with the package of files from the setup directory.
    std::string pack(const std::string &out_name = "packed.exe")
    {
        const std::string out = root + out_name;
        write_file(out, stub);
        FILE *f = plat_fopen(out.c_str(), "r+b");
        EXPECT_NE(f, nullptr);
        if (!f)
            return "";
        std::fseek(f, 0, SEEK_END);
        PACKAGE_WRITER writer(f);
        EXPECT_TRUE(writer.begin());
        for (const auto &file : files)
            EXPECT_TRUE(writer.add((source + file.first).c_str(), file.first.c_str(), 0)) << writer.why;
        EXPECT_TRUE(writer.finish()) << writer.why;
        std::fclose(f);
        EXPECT_TRUE(plat_truncate_file(out.c_str(), (int64_t)writer.end()));
        return read_file(out);
    }
    void put_sources()
    {
        for (const auto &file : files)
            put_source(file.first, file.second);
    }

    // How far a reader got with bytes: the result of its first failing
    // step (find, check, extract), and which one.
    PACKAGE_RESULT unpack(const std::string &bytes, const std::string &into, int *step, std::string *why = nullptr)
    {
        const std::string path = root + "in.exe";
        write_file(path, bytes);
        FILE *f = plat_fopen(path.c_str(), "rb");
        PACKAGE_READER reader(f, bytes.size());
        PACKAGE_RESULT result = reader.find();
        *step = 1;
        if (result == PACKAGE_OK) {
            *step = 2;
            result = reader.check();
        }
        if (result == PACKAGE_OK) {
            *step = 3;
            result = reader.extract(into.c_str());
        }
        std::fclose(f);
        if (why)
            *why = reader.why;
        return result;
    }
};

TEST_F(PackageTest, WhatIsPackedComesOutWholeAndTheSameInputsGiveTheSameBytes)
{
    put_sources();
    const std::string packed = pack();
    EXPECT_EQ(pack("again.exe"), packed);
    EXPECT_EQ(packed.substr(0, stub.size()), stub);
    // Compressed where it helps: the run of "a" shrinks, the noise is stored.
    EXPECT_LT(packed.size(), stub.size() + 70000 + 20000);
    EXPECT_GT(packed.size(), stub.size() + 70000);

    const std::string out = root + "out\\";
    ASSERT_TRUE(testenv::make_dir(out));
    int step = 0;
    std::string why;
    ASSERT_EQ(unpack(packed, out, &step, &why), PACKAGE_OK) << why;
    for (const auto &file : files)
        EXPECT_EQ(read_file(out + file.first), file.second) << file.first;
    // Junk after the package, where a certificate table goes, is ignored.
    const std::string junk = root + "junk\\";
    ASSERT_TRUE(testenv::make_dir(junk));
    ASSERT_EQ(unpack(packed + std::string(37, 'x'), junk, &step, &why), PACKAGE_OK) << why;
    EXPECT_EQ(read_file(junk + "help\\b.bin"), files[2].second);
}

// A program without a package, alone or signed, is no damaged package.
TEST_F(PackageTest, AProgramWithoutAPackageHasNone)
{
    int step = 0;
    EXPECT_EQ(unpack(stub, root, &step), PACKAGE_NONE);
    std::string signed_stub = stub + std::string(16, 's');
    testpe::put32(signed_stub, 64 + 24 + 112 + 4 * 8, (uint32_t)stub.size());
    testpe::put32(signed_stub, 64 + 24 + 112 + 4 * 8 + 4, 16);
    EXPECT_EQ(unpack(signed_stub, root, &step), PACKAGE_NONE);
    EXPECT_EQ(unpack("MZ not a program", root, &step), PACKAGE_UNREADABLE);
}

// The damage a download or a forger can do, and where the reader stops it.
struct DAMAGE_CASE {
    const char *what;
    // Changes the package; image is the header's offset. reseal: mend the
    // checksums afterwards, so that only the reader's other checks are left.
    std::function<void(std::string &bytes, size_t image)> damage;
    bool reseal;
    int step; // where it is refused: 1 header, 2 checksum, 3 extraction
    PACKAGE_RESULT result;
};
void PrintTo(const DAMAGE_CASE &c, std::ostream *out) { *out << c.what; }

class PackageDamageTest : public PackageTest, public ::testing::WithParamInterface<DAMAGE_CASE> {};

// The offset of entry index (0 first).
size_t entry_at(const std::string &bytes, size_t image, int index)
{
    size_t at = image + PACKAGE_HEADER_SIZE;
    for (int i = 0; i < index; ++i)
        at += PACKAGE_ENTRY_SIZE + (u32(bytes, at + 22) & 0xFFFF) + (size_t)u64(bytes, at + 12);
    return at;
}
// Replaces entry index's name by one of the same length.
void rename_entry(std::string &bytes, size_t image, int index, const std::string &name)
{
    size_t at = entry_at(bytes, image, index);
    ASSERT_EQ(u32(bytes, at + 22) & 0xFFFF, name.size());
    bytes.replace(at + PACKAGE_ENTRY_SIZE, name.size(), name);
}

TEST_P(PackageDamageTest, RefusedBeforeAnythingLeavesTheDirectory)
{
    const DAMAGE_CASE &c = GetParam();
    put_sources();
    std::string bytes = pack();
    const size_t image = stub.size();
    c.damage(bytes, image);
    if (c.reseal && bytes.size() >= image + PACKAGE_HEADER_SIZE) {
        uint64_t length = u64(bytes, image + 16);
        if (length <= bytes.size() - image - PACKAGE_HEADER_SIZE)
            testpe::put32(bytes, image + 24, crc(bytes, image + PACKAGE_HEADER_SIZE, (size_t)length));
        testpe::put32(bytes, image + 28, crc(bytes, image, 28));
    }
    const std::string out = root + "out\\";
    ASSERT_TRUE(testenv::make_dir(out));
    int step = 0;
    std::string why;
    EXPECT_EQ(unpack(bytes, out, &step, &why), c.result) << why;
    EXPECT_EQ(step, c.step) << why;
    EXPECT_FALSE(why.empty());
    // Nothing beside the directory: no name got out of it.
    EXPECT_FALSE(file_exists((root + "evil.tx").c_str()));
    EXPECT_FALSE(file_exists("C:\\evil.tx"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Each, PackageDamageTest, ::testing::Values(
    DAMAGE_CASE{"MagicByte", [](std::string &b, size_t i) { b[i] ^= 1; }, false, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"HeaderLengthByte", [](std::string &b, size_t i) { b[i + 16] ^= 1; }, false, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"HeaderChecksum", [](std::string &b, size_t i) { b[i + 30] ^= 0x40; }, false, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NewerFormat", [](std::string &b, size_t i) { b[i + 8] = 2; }, true, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"CutByOneByte", [](std::string &b, size_t) { b.pop_back(); }, false, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"CutInTheHeader", [](std::string &b, size_t i) { b.resize(i + 20); }, false, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"LengthTwoToTheThirtyTwoLessOne", [](std::string &b, size_t i) { put64(b, i + 16, 0xFFFFFFFFu); }, true, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"LengthTwoToTheSixtyFourLessOne", [](std::string &b, size_t i) { put64(b, i + 16, ~0ULL); }, true, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NoEntries", [](std::string &b, size_t i) { testpe::put32(b, i + 12, 0); }, true, 1, PACKAGE_DAMAGED},
    DAMAGE_CASE{"AByteOfAFile", [](std::string &b, size_t i) { b[entry_at(b, i, 2) + 40] ^= 4; }, false, 2, PACKAGE_DAMAGED},
    DAMAGE_CASE{"TheLastByte", [](std::string &b, size_t) { b.back() ^= (char)0x80; }, false, 2, PACKAGE_DAMAGED},
    // Sealed again: only the entries' own checks can find these.
    DAMAGE_CASE{"AStoredByteUnderItsOwnChecksum", [](std::string &b, size_t i) { b[entry_at(b, i, 2) + 40] ^= 4; }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"ADeflatedByte", [](std::string &b, size_t i) { b[entry_at(b, i, 1) + 30] ^= 0x10; }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"SizeOneMore", [](std::string &b, size_t i) { size_t e = entry_at(b, i, 1); put64(b, e + 4, u64(b, e + 4) + 1); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"SizeOneLess", [](std::string &b, size_t i) { size_t e = entry_at(b, i, 1); put64(b, e + 4, u64(b, e + 4) - 1); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"StoredLengthTwoToTheThirtyTwoLessOne", [](std::string &b, size_t i) { put64(b, entry_at(b, i, 1) + 12, 0xFFFFFFFFu); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"StoredLengthTwoToTheSixtyFourLessOne", [](std::string &b, size_t i) { put64(b, entry_at(b, i, 3) + 12, ~0ULL); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameLengthPastTheEnd", [](std::string &b, size_t i) { testpe::put16(b, entry_at(b, i, 3) + 22, 0xFFFF); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"OneEntryMore", [](std::string &b, size_t i) { testpe::put32(b, i + 12, 5); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"OneEntryLess", [](std::string &b, size_t i) { testpe::put32(b, i + 12, 3); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"UnknownMethod", [](std::string &b, size_t i) { b[entry_at(b, i, 1) + 20] = 9; }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"UnknownAttribute", [](std::string &b, size_t i) { b[entry_at(b, i, 1) + 21] = 0x10; }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameUpAndOut", [](std::string &b, size_t i) { rename_entry(b, i, 2, "..\\evil.tx"); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameWithADrive", [](std::string &b, size_t i) { rename_entry(b, i, 2, "C:\\evil.tx"); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameFromTheRoot", [](std::string &b, size_t i) { rename_entry(b, i, 2, "\\\\evil.txt"); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameWindowsChanges", [](std::string &b, size_t i) { rename_entry(b, i, 1, "a.tx."); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameOfADevice", [](std::string &b, size_t i) { rename_entry(b, i, 1, "con.t"); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameWithANul", [](std::string &b, size_t i) { rename_entry(b, i, 1, std::string("a\0txt", 5)); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameWithASlash", [](std::string &b, size_t i) { rename_entry(b, i, 2, "help/b.bin"); }, true, 3, PACKAGE_DAMAGED},
    DAMAGE_CASE{"NameTwiceInAnotherCase", [](std::string &b, size_t i) { rename_entry(b, i, 1, "SETUP"); rename_entry(b, i, 3, "setup.ini"); }, true, 3, PACKAGE_DAMAGED}),
    [](const ::testing::TestParamInfo<DAMAGE_CASE> &param) { return std::string(param.param.what); });
// clang-format on

// setup /S from the one file: the same report, log and files as from the
// folder; from a damaged one exit 4 and a report line, nothing made; the
// temporary directory gone either way.
TEST_F(PackageTest, SilentSetupInstallsFromThePackageAsFromTheFolder)
{
    put_sources();
    const std::string packed = root + "packed.exe";
    pack();
    const std::string report_path = root + "report.txt";
    const std::string line = "/S /NOSHORTCUT /LOG=" + report_path;
    const int before = extracted_dirs();
    ASSERT_GE(before, 0);
    auto run = [&](const char *program) {
        SETUP_ARGS args;
        parse_setup_args(line.c_str(), args);
        SILENT_FRONT front;
        SILENT_PACKAGE_FRONT quiet;
        SETUP_REPORT report;
        int status = run_setup_from(program, job, line.c_str(), args, front, quiet, report);
        job.clear_job();
        return status;
    };
    const std::string log = windows + "UnInstal\\Packed Tool.log";
    const std::string a = root + "Packed\\a.txt", b = root + "Packed\\help\\b.bin";

    // The plain stub: setup.ini from the current directory, as ever.
    write_file(root + "plain.exe", stub);
    ASSERT_EQ(run((root + "plain.exe").c_str()), SETUP_EXIT_INSTALLED);
    const std::string from_folder = read_file(report_path), folder_log = read_file(log);
    EXPECT_EQ(read_file(a), files[1].second);

    // From the package, started in an empty directory elsewhere.
    for (const auto &file : files)
        plat_delete_file((source + file.first).c_str());
    ASSERT_TRUE(testenv::make_dir(root + "elsewhere"));
    ASSERT_TRUE(plat_chdir((root + "elsewhere").c_str()));
    ASSERT_TRUE(remove_tree((root + "Packed").c_str()));
    ASSERT_TRUE(remove_tree((windows + "UnInstal").c_str()));
    ASSERT_EQ(run(packed.c_str()), SETUP_EXIT_INSTALLED);
    EXPECT_EQ(read_file(report_path), from_folder);
    EXPECT_EQ(read_file(log), folder_log);
    EXPECT_EQ(read_file(a), files[1].second);
    EXPECT_EQ(read_file(b), files[2].second);
    EXPECT_EQ(extracted_dirs(), before);
    EXPECT_TRUE(plat_same_file(testenv::current_dir().c_str(), (root + "elsewhere").c_str())) << testenv::current_dir();

    // Damaged: nothing installed, the reason in the report, exit 4.
    std::string bytes = read_file(packed);
    bytes[bytes.size() - 3] ^= 1;
    write_file(packed, bytes);
    plat_delete_file(a.c_str());
    EXPECT_EQ(run(packed.c_str()), SETUP_EXIT_DAMAGED);
    EXPECT_EQ(text_lines(report_path),
              (std::vector<std::string>{"setup " + line,
                                        "damaged setup package " + packed + ": the package's checksum is wrong",
                                        "exit 4: the setup package is damaged"}));
    EXPECT_FALSE(file_exists(a.c_str()));
    EXPECT_EQ(extracted_dirs(), before);
}

// The critical report ends the program from deep inside the session: the
// exit handler still removes the extracted copy. (Its own scratch: a death
// test's child lays it out again.)
TEST(PackageDeathTest, TheCriticalReportRemovesTheExtractedCopyToo)
{
    PLAT_TEST_SCOPE controls;
    const std::string root = testenv::scratch_dir(), source = root + "setup\\", temp = root + "temp\\";
    for (const std::string &dir : {source, temp, root + "win\\"})
        ASSERT_TRUE(testenv::make_dir(dir) || dir_exists(dir.c_str())) << dir;
#ifndef _WIN32
    plat_test_set_temp_dir(temp.c_str());
#endif
    write_file(source + "setup.ini", "apptitle=Critical\ninstallpath=" + root + "App\nfile=a.txt\n");
    write_file(source + "a.txt", "a");
    const std::string packed = root + "packed.exe";
    write_file(packed, testpe::program_with_version(0x0001000000000000ULL));
    FILE *f = plat_fopen(packed.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    PACKAGE_WRITER writer(f);
    ASSERT_TRUE(writer.begin() && writer.add((source + "setup.ini").c_str(), "setup.ini", 0) &&
                writer.add((source + "a.txt").c_str(), "a.txt", 0) && writer.finish());
    std::fclose(f);
    const int before = extracted_dirs();
    ASSERT_GE(before, 0);
    EXPECT_EXIT(
        {
#ifdef __SANITIZE_ADDRESS__
            __lsan_disable(); // the report ends the program with the job in hand
#endif
            SETUP_TYPE job;
            job.set_system_dirs((root + "win").c_str(), (root + "win").c_str());
            SETUP_ARGS args;
            parse_setup_args("/S", args);
            SILENT_FRONT front;
            SILENT_PACKAGE_FRONT quiet;
            SETUP_REPORT report;
            // The package needs no allocation; the first is setup.ini's.
            plat_test_fail_alloc(1, PLAT_FAIL_FROM_NOW_ON);
            run_setup_from(packed.c_str(), job, "/S", args, front, quiet, report);
            std::exit(1);
        },
        ::testing::ExitedWithCode(0), "critical error");
    EXPECT_EQ(extracted_dirs(), before);
    EXPECT_FALSE(file_exists((root + "App").c_str()));
#ifndef _WIN32
    plat_test_set_temp_dir("C:\\TEMP\\");
#endif
}
