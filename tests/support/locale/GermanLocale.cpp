#include "tests/support/locale/GermanLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/process/ChildProcess.h"

CGermanNumericLocale::CGermanNumericLocale()
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        std::filesystem::path dir = std::filesystem::temp_directory_path() / "tallyfern-locales";
        std::filesystem::create_directories(dir);
        // Kept for the next test program: building a locale takes a while.
        if (!std::filesystem::exists(dir / "de_DE.UTF-8"))
            tf::test::RunProcess(
                {"localedef", "-i", "de_DE", "-f", "UTF-8", (dir / "de_DE.UTF-8").string()});
        ::setenv("LOCPATH", dir.c_str(), 1);
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    }
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    m_bActive = std::string(text) == "1,5";
}

CGermanNumericLocale::~CGermanNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}
