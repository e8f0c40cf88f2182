// tallyfern: the desktop program. It keeps info.kgw in the directory it is started in.
#include <QApplication>

#include "app/BlotterApp.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    CBlotterApp blotter(app);
    return blotter.Run();
}
