// The wizard's bounded texts and joined paths: nothing may overrun a page's
// buffer, and a joined path is whole or refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/error_codes.h"
#include "setup/path_join.h"
#include "setup/front_text.h"
#include "tests/unit/support/test_env.h"

TEST(PageText, FormatCutsAtTheBufferAndTerminates)
{
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    format_cut(buffer, 8, "File %d of %d (%d%% Complete)", 1, 3, 33);
    EXPECT_STREQ(buffer, "File 1 ");
    EXPECT_EQ(buffer[8], 'x') << "wrote past the given size";

    format_cut(buffer, sizeof buffer, "%s", "short");
    EXPECT_STREQ(buffer, "short");

    // A title as long as a setup.ini line in the 256-character title buffer.
    std::string title(254, 'T');
    char text[256];
    format_cut(text, sizeof text, "%s Application Setup...", title.c_str());
    EXPECT_EQ(std::strlen(text), 255u);
    EXPECT_EQ(std::string(text), title + " ");
}

TEST(PageText, FormatLeavesANullOrEmptyBufferAlone)
{
    EXPECT_EQ(format_cut(nullptr, 10, "%d", 1), nullptr);
    char one = 'x';
    format_cut(&one, 0, "%d", 1);
    EXPECT_EQ(one, 'x');
    format_cut(&one, 1, "%d", 12345);
    EXPECT_EQ(one, '\0');
}

TEST(PageText, BrowsedPathJoinsFolderAndBasePath)
{
    // clang-format off
    struct Case {
        const char *folder, *basepath, *expected;
    } cases[] = {
        {"C:\\Apps", "Foo\\", "C:\\Apps\\Foo\\"},
        {"C:\\", "Foo\\", "C:\\Foo\\"},            // a drive's root gets no second backslash
        {"C:\\Apps", "none", "C:\\Apps\\none"},     // setup.ini without a base path
        {"", "Foo\\", "Foo\\"},
    };
    // clang-format on
    for (const Case &c : cases) {
        char out[260] = "unchanged";
        EXPECT_TRUE(join_browsed_path(out, sizeof out, c.folder, c.basepath)) << c.folder;
        EXPECT_STREQ(out, c.expected);
    }
}

TEST(PageText, BrowsedPathThatDoesNotFitIsRefused)
{
    std::string folder = "C:\\" + std::string(250, 'd'); // 253 characters
    std::string base(5, 'b');                            // 253 + 1 + 5 = 259: fits
    char out[260] = "unchanged";
    EXPECT_TRUE(join_browsed_path(out, sizeof out, folder.c_str(), base.c_str()));
    EXPECT_EQ(std::strlen(out), 259u);

    std::strcpy(out, "unchanged");
    base += 'b'; // 260 characters do not fit with the terminator
    EXPECT_FALSE(join_browsed_path(out, sizeof out, folder.c_str(), base.c_str()));
    EXPECT_STREQ(out, "unchanged");
    EXPECT_FALSE(join_browsed_path(out, sizeof out, nullptr, "x"));
}

TEST(PageText, PathBelowTheProgramsFolder)
{
    const char *programs = "C:\\Users\\Ann\\Start Menu\\Programs\\";
    // clang-format off
    struct Case {
        const char *chosen, *expected; // null: not inside
    } cases[] = {
        {"C:\\Users\\Ann\\Start Menu\\Programs\\Tools", "Tools"},
        {"C:\\Users\\Ann\\Start Menu\\Programs\\Tools\\Sub", "Tools\\Sub"},
        {"c:\\users\\ann\\start menu\\programs\\Tools", "Tools"}, // Windows paths ignore case
        {"C:\\Users\\Ann\\Start Menu\\Programs", ""},             // the folder itself
        {"C:\\Users\\Ann\\Start Menu\\Programs\\", ""},
        {"C:\\Users\\Ann\\Start Menu\\Program", nullptr},          // shorter, not the folder
        {"C:\\Users\\Ann\\Start Menu\\ProgramsX", nullptr},
        {"D:\\Elsewhere\\Tools", nullptr},
        {"", nullptr},
    };
    // clang-format on
    for (const Case &c : cases) {
        const char *below = path_below(c.chosen, programs);
        if (!c.expected)
            EXPECT_EQ(below, nullptr) << c.chosen;
        else {
            ASSERT_NE(below, nullptr) << c.chosen;
            EXPECT_STREQ(below, c.expected) << c.chosen;
        }
    }
    EXPECT_EQ(path_below(nullptr, programs), nullptr);
}

TEST(PageText, JoinPathIsWholeOrRefused)
{
    char out[12] = "unchanged";
    EXPECT_TRUE(join_path(out, sizeof out, "C:\\Menu\\", "Foo"));
    EXPECT_STREQ(out, "C:\\Menu\\Foo");
    EXPECT_TRUE(join_path(out, sizeof out, "C:\\Menu\\", ""));
    EXPECT_STREQ(out, "C:\\Menu\\");

    std::strcpy(out, "unchanged");
    EXPECT_FALSE(join_path(out, sizeof out, "C:\\Menu\\", "Food")); // 12 characters need 13 bytes
    EXPECT_STREQ(out, "unchanged");
    EXPECT_FALSE(join_path(out, sizeof out, nullptr, "x"));
}

// The Installing page's box for a failed road: the log's text wherever the
// log could not be written, else the step, a file by its name in setup.ini.
TEST(PageText, RoadFailureDetailNamesTheStep)
{
    const struct {
        ROAD_RESULT road;
        const char *detail;
    } cases[] = {
        {{ROAD_FAILED, STEP_LOG, ERR_LOG_NAME, nullptr, ""}, "Error writing the setup log!"},
        {{ROAD_FAILED, STEP_PREPARE, ERR_CREATE_DIR, nullptr, ""}, "Error installing application!"},
        {{ROAD_FAILED, STEP_PREPARE, ERR_FILE_WRITE, nullptr, ""}, "Error writing the setup log!"},
        {{ROAD_FAILED, STEP_BATCH, ERR_COPY_FAILED, nullptr, ""}, "Error writing the setup log!"},
        {{ROAD_FAILED, STEP_FILE, ERR_COPY_FAILED, "sub\\four.txt", ""}, "Error installing file 'sub\\four.txt'!"},
        {{ROAD_FAILED, STEP_FILE, ERR_FILE_WRITE, "four.txt", ""}, "Error writing the setup log!"},
    };
    for (const auto &c : cases) {
        char detail[SETUP_ERROR_DETAIL_SIZE];
        road_failure_detail(c.road, detail, sizeof detail);
        EXPECT_STREQ(detail, c.detail) << c.road.step << " " << c.road.code;
    }
    // A name as long as a setup.ini line is shown whole; a longer text is cut
    // with the box's detail.
    std::string name(254, 'n');
    char detail[SETUP_ERROR_DETAIL_SIZE];
    road_failure_detail({ROAD_FAILED, STEP_FILE, ERR_COPY_FAILED, name.c_str(), ""}, detail, sizeof detail);
    EXPECT_EQ(std::string(detail), "Error installing file '" + name + "'!");
    road_failure_detail({ROAD_FAILED, STEP_FILE, ERR_COPY_FAILED, name.c_str(), ""}, detail, 256);
    EXPECT_EQ(std::string(detail), "Error installing file '" + name.substr(0, 255 - 23));
}

// Browse opens at the typed folder or the nearest one above it that exists;
// a field it cannot use leaves the browse where it always opened.
TEST(PageText, BrowseStartsAtTheNearestFolderOfTheField)
{
    const std::string root = testenv::scratch_dir(); // ends in a backslash
    ASSERT_TRUE(testenv::make_dir(root + "Apps"));
    testenv::write_file(root + "Apps\\file.txt", "a file, no folder");
    const std::string apps = root + "Apps";
    const std::string drive = root.substr(0, 3);
    const std::string too_long = apps + "\\" + std::string(300, 'n');
    const struct {
        std::string field, expected; // "" for no start folder
        size_t size;
    } rows[] = {
        {apps, apps, 260},
        {apps + "\\", apps + "\\", 260},
        {apps + "\\Foo", apps, 260},
        {apps + "\\Foo\\Bar\\", apps, 260},
        {apps + "\\file.txt\\sub", apps, 260}, // a file on the way is no folder
        {drive + "NoSuchFolder\\Foo", drive, 260},
        {"Q:\\Apps\\Foo", "", 260}, // no such drive
        {"Apps\\Foo", "", 260},     // no full path
        {"", "", 260},
        {apps + "\\Foo", "", apps.size() + 4}, // the field does not fit
        {too_long, apps, 512},                 // a part past the path limit: up to what exists
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.field);
        char out[512] = "unchanged";
        EXPECT_EQ(browse_start_folder(row.field.c_str(), out, row.size), !row.expected.empty());
        EXPECT_EQ(std::string(out), row.expected);
    }
    EXPECT_FALSE(browse_start_folder(nullptr, nullptr, 0));
}
