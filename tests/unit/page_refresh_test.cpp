// The Installing page's refresh pace: which files reach the page, and that
// the page always names the file that a question or an error is about.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wizard/page_refresh.h"

namespace {

// One step of a run: a file about to be installed ('f'), or a question or
// an error box ('?'); and whether the page is refreshed at it.
struct STEP {
    char what;
    int32_t number; // for 'f'
    uint32_t now;
    bool refreshes;
};

struct PACE_CASE {
    const char *name;
    int32_t total;
    std::vector<STEP> steps;
};

const uint32_t WRAP = 0xFFFFFFF0u; // 16 ms before the counter wraps

// clang-format off
const PACE_CASE PACE_CASES[] = {
    {"small files: the first and the last", 5,
     {{'f', 1, 100, true}, {'f', 2, 101, false}, {'f', 3, 102, false}, {'f', 4, 103, false}, {'f', 5, 104, true}}},
    {"slow files: every one", 3,
     {{'f', 1, 0, true}, {'f', 2, 40, true}, {'f', 3, 80, true}}},
    {"the interval counts from the last refresh", 9,
     {{'f', 1, 0, true}, {'f', 2, 29, false}, {'f', 3, 30, true}, {'f', 4, 45, false}, {'f', 5, 59, false},
      {'f', 6, 60, true}}},
    {"one file", 1,
     {{'f', 1, 7, true}}},
    {"a question after a file not shown shows it", 4,
     {{'f', 1, 0, true}, {'f', 2, 1, false}, {'?', 0, 2, true}, {'?', 0, 3, false}, {'f', 3, 4, false}}},
    {"a question about a file on the page changes nothing", 4,
     {{'f', 1, 0, true}, {'?', 0, 1, false}, {'f', 2, 2, false}}},
    {"an error before the first file has no file to show", 4,
     {{'?', 0, 0, false}, {'f', 1, 1, true}}},
    {"a question restarts the interval", 9,
     {{'f', 1, 0, true}, {'f', 2, 20, false}, {'?', 0, 25, true}, {'f', 3, 40, false}, {'f', 4, 55, true}}},
    {"across the wrap of the counter", 9,
     {{'f', 1, WRAP, true}, {'f', 2, WRAP + 10, false}, {'f', 3, WRAP + 29, false}, {'f', 4, WRAP + 30, true},
      {'f', 5, 20, false}, {'f', 6, 46, true}}},
};
// clang-format on

} // namespace

TEST(PageRefresh, ShowsTheFilesAPersonCanSee)
{
    for (const PACE_CASE &c : PACE_CASES) {
        SCOPED_TRACE(c.name);
        PAGE_REFRESH refresh;
        int32_t on_page = 0; // the file the page names
        for (const STEP &step : c.steps) {
            bool refreshed;
            if (step.what == 'f') {
                std::string dest = "C:\\App\\file" + std::to_string(step.number);
                refreshed = refresh.file_due(step.number, c.total, step.number * 100 / c.total, dest.c_str(), step.now);
                EXPECT_EQ(refresh.latest().number, step.number);
                EXPECT_EQ(refresh.latest().destination, dest);
            } else {
                refreshed = refresh.catch_up(step.now);
            }
            EXPECT_EQ(refreshed, step.refreshes) << step.what << " " << step.number << " at " << step.now;
            if (refreshed)
                on_page = refresh.latest().number;
            if (step.what == '?') { // a box is about the file the road is at
                EXPECT_EQ(on_page, refresh.latest().number) << "the page names another file than the box";
            }
        }
        // However the files went by, the page ends on the last one.
        if (c.steps.back().what == 'f' && c.steps.back().number == c.total) {
            EXPECT_EQ(on_page, c.total);
        }
    }
}

TEST(PageRefresh, KeepsTheFileWholeAndBounded)
{
    PAGE_REFRESH refresh;
    refresh.file_due(3, 7, 42, "D:\\Games\\x.dat", 0);
    const SHOWN_FILE &shown = refresh.latest();
    EXPECT_EQ(shown.number, 3);
    EXPECT_EQ(shown.total, 7);
    EXPECT_EQ(shown.percent, 42);
    EXPECT_STREQ(shown.destination, "D:\\Games\\x.dat");

    // Longer than the page takes: cut, terminated, nothing past the field.
    std::string huge(SHOWN_PATH_SIZE + 50, 'p');
    refresh.file_due(4, 7, 57, huge.c_str(), 100);
    EXPECT_EQ(std::string(refresh.latest().destination), huge.substr(0, SHOWN_PATH_SIZE - 1));

    refresh.file_due(5, 7, 71, nullptr, 200);
    EXPECT_STREQ(refresh.latest().destination, "");
}
