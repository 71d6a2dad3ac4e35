#include "app/startup.h"

int main(int argc, char** argv) { return lumivex::runLumivex(argc, argv); }
