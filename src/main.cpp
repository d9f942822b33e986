// Entry point: opens the log, then hands over to the application's start-up.
#include "app/application.h"
#include "commun/console.h"

int main(int argc, char** argv) {
    ouvreJournal();
    return demarre(argc, argv);
}
