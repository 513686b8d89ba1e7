// Checks what start-up left behind. Built twice, with the translation units
// linked in opposite orders; both builds must find the same tables.
#include <cstdio>
#include <cstring>

#include "lib/generr.h"
#include "lib/genutil.h"
#include "setup/setup.h"

int main()
{
    static const char *const expected_modules[] = {"GENUTIL", "FILEUTIL", "GENERR", "GENMEM", "GENSTRIN"};
    static const int expected_setup_codes[] = {905, 909, 910, 907, 908, 906, 901, 902, 903, 904,
                                               911, 912, 913, 914, 915, 916, 917, 918, 919, 920};
    int failures = 0;
    if (reg_db.num_programs != 5 || reg_db.current_program != 0) {
        std::printf("registry: %d entries, current %d\n", reg_db.num_programs, reg_db.current_program);
        ++failures;
    }
    for (int i = 0; i < 5 && i < reg_db.num_programs; ++i)
        if (std::strcmp(reg_db.programs[i]->program, expected_modules[i]) != 0) {
            std::printf("registry[%d] = %s, expected %s\n", i, reg_db.programs[i]->program, expected_modules[i]);
            ++failures;
        }
    if (error_db.num_errors != 79) {
        std::printf("error table: %d records\n", error_db.num_errors);
        ++failures;
    }
    for (int i = 0; i < 18 && 59 + i < error_db.num_errors; ++i)
        if (error_db.errors[59 + i]->code != expected_setup_codes[i]) {
            std::printf("error table[%d] = %d\n", 59 + i, error_db.errors[59 + i]->code);
            ++failures;
        }
    if (!setup_job.windows_dir || !setup_job.system_dir) {
        std::printf("install job without system directories\n");
        ++failures;
    }
    std::printf(failures ? "start-up tables differ\n" : "start-up tables as expected\n");
    return failures ? 1 : 0;
}
