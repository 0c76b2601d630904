#include "app/TruneUpdateApp.h"

int main(int argc, char* argv[])
{
    return TruneUpdateApp::main(argc, argv);
}
