#include "shell/Startup.h"

int main(int argc, char** argv) { return runZarn(argc, argv); }
