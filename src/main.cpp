// Entry point: hands over to the application's start-up.
#include "app/application.h"

int main(int argc, char** argv) { return demarre(argc, argv); }
