#include "tests/support/locale/GermanLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

CGermanNumericLocale::CGermanNumericLocale()
{
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        std::filesystem::path dir = std::filesystem::temp_directory_path() / "tallyfern-locales";
        std::filesystem::create_directories(dir);
        std::string command =
            "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (!std::filesystem::exists(dir / "de_DE.UTF-8"))
            (void)std::system(command.c_str());
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
