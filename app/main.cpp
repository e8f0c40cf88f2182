// tallyfern: the desktop program. It keeps info.kgw in the directory it is started in.
#include "app/BlotterApp.h"

int main(int argc, char* argv[])
{
    CBlotterApp app;
    return app.Run(argc, argv);
}
