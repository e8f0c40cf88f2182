// tf_make_icons: writes the program's icons as PNG files for installation, from the same
// drawings the program uses: tallyfern-<size>.png, tallyfern-gain.png and tallyfern-loss.png.
#include <cstdio>
#include <string>

#include <QImage>

#include "app/AppIcons.h"

namespace {
// Sizes of the program icon that desktops look for in the icon theme.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The gain and loss pictures are for documentation; one size serves.
constexpr int kStateIconSize = 64;

bool Write(const QImage& image, const std::string& strPath)
{
    if (image.save(QString::fromStdString(strPath), "PNG"))
        return true;
    std::fprintf(stderr, "tf_make_icons: cannot write %s\n", strPath.c_str());
    return false;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tf_make_icons OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string strFolder = argv[1];
    bool bOk = true;
    for (int nSize : kThemeSizes)
        bOk = Write(DrawAppIcon(kProgramIcon, nSize),
                    strFolder + "/tallyfern-" + std::to_string(nSize) + ".png") &&
              bOk;
    bOk = Write(DrawAppIcon(kGainIcon, kStateIconSize), strFolder + "/tallyfern-gain.png") && bOk;
    bOk = Write(DrawAppIcon(kLossIcon, kStateIconSize), strFolder + "/tallyfern-loss.png") && bOk;
    return bOk ? 0 : 1;
}
