#include "support/fenetre_gl.h"

#include <GL/freeglut.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

bool affichageJoignable() {
    const char* d = std::getenv("DISPLAY");
    if (!d || !*d) return false;
    if (d[0] != ':') return true;  // a remote display is trusted; a local one needs its socket
    const std::string numero(d + 1);
    struct stat st;
    return stat(("/tmp/.X11-unix/X" + numero.substr(0, numero.find('.'))).c_str(), &st) == 0;
}

bool ouvreFenetreGL(const char* titre, int cote) {
    static bool essaye = false, ouverte = false;
    if (essaye) return ouverte;
    essaye = true;
    if (!affichageJoignable()) return false;
    static int argc = 1;
    static char nom[] = "tests";
    static char* argv[] = {nom, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH | GLUT_DOUBLE);
    glutInitWindowSize(cote, cote);
    glutCreateWindow(titre);
    glutDisplayFunc([] {});
    for (int k = 0; k < 10; ++k) glutMainLoopEvent();
    ouverte = true;
    return true;
}
