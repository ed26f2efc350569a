#include "shell/Program.h"
#include "shell/Signals.h"

int main(int argc, char** argv) {
    catchSignals();
    return runZarn(argc, argv);
}
