// The table client. It is started by the game hall with one command line.
#include "platform/Application.h"

#include <cstdio>

int main(int argc, char** argv)
{
    mj::Application app(argc, argv);
    std::fprintf(stderr, "mjtable: start-up is not built yet\n");
    return 1;
}
