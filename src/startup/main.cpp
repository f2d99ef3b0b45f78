#include "Startup.h"

int main(int argc, char** argv) {
    return runVantora(argc, argv);
}
