// The panel model, and the application's panel callback and refresh operations.
#include "app/panneau.h"

#include <cmath>
#include <cstdlib>

#include "app/application.h"
#include "robot/robot.h"

Panneau panneau;

float Controle::valeur() const {
    if (entier) return static_cast<float>(*entier);
    if (reel) return *reel;
    return 0;
}

void Controle::fixeValeur(float v) {
    if (limite == Limite::Borne) {
        if (v < min) v = min;
        if (v > max) v = max;
    } else if (limite == Limite::Boucle) {
        // Integer angle spinners: a period of 360 keeps the angle meaning of the value.
        const float periode = entier ? max - min + 1 : max - min;
        if (periode > 0) {
            while (v < min) v += periode;
            while (v > max) v -= periode;
        }
    }
    if (entier) *entier = static_cast<int>(v);
    if (reel) *reel = v;
}

namespace {
Controle controle(GenreControle genre, const char* libelle, int niveau, int id = -1) {
    Controle c;
    c.genre = genre;
    c.libelle = libelle;
    c.niveau = niveau;
    c.id = id;
    return c;
}
Controle rollout(const char* libelle, bool alignDroite = false) {
    Controle c = controle(GenreControle::Rollout, libelle, 0);
    c.alignDroite = alignDroite;
    return c;
}
Controle texte(const char* libelle) { return controle(GenreControle::Texte, libelle, 1); }
Controle caseACocher(const char* libelle, int* v, int id, int niveau = 1) {
    Controle c = controle(GenreControle::Case, libelle, niveau, id);
    c.entier = v;
    return c;
}
Controle spinner(const char* libelle, int* v, int id, int niveau = 1) {
    Controle c = controle(GenreControle::SpinnerEntier, libelle, niveau, id);
    c.entier = v;
    return c;
}
Controle spinner(const char* libelle, float* v, int id) {
    Controle c = controle(GenreControle::SpinnerReel, libelle, 1, id);
    c.reel = v;
    return c;
}
Controle& angle(Controle& c) {
    c.limite = Limite::Boucle;
    c.min = -180;
    c.max = 179;
    return c;
}
}  // namespace

Panneau::Panneau() {
    auto& r = panneauRobot;
    r.push_back(rollout("Etat courant du robot : "));
    r.push_back(caseACocher("Afficher les reperes", &afficherReperes, 212));
    r.push_back(caseACocher("Collision prehenseur", &collisionPrehenseur, 218));
    // The joint group (THETA1 and THETA5 wrap) then the wrist group (THETA wraps), all at
    // speed 5; the target joints keep the default alignment.
    auto groupes = [&r](const char* suffixe, int* t1, int* t2, int* t3, int* t5, int idJoints,
                        bool jointsADroite, float* x, float* y, float* z, int* theta, int idPoignet) {
        auto ajoute = [&r](Controle c, bool aDroite, bool boucle) {
            c.vitesse = 5;
            c.alignDroite = aDroite;
            r.push_back(boucle ? angle(c) : c);
        };
        const std::string s = suffixe;
        r.push_back(texte("Coordonnees articulaires :"));
        ajoute(spinner(("THETA1" + s).c_str(), t1, idJoints), jointsADroite, true);
        ajoute(spinner(("THETA2" + s).c_str(), t2, idJoints), jointsADroite, false);
        ajoute(spinner(("THETA3" + s).c_str(), t3, idJoints), jointsADroite, false);
        ajoute(spinner(("THETA5" + s).c_str(), t5, idJoints), jointsADroite, true);
        r.push_back(texte("Coordonnees du poignet :"));
        ajoute(spinner(("X" + s).c_str(), x, idPoignet), true, false);
        ajoute(spinner(("Y" + s).c_str(), y, idPoignet), true, false);
        ajoute(spinner(("Z" + s).c_str(), z, idPoignet), true, false);
        ajoute(spinner(("THETA" + s).c_str(), theta, idPoignet), true, true);
    };
    groupes("", &theta1, &theta2, &theta3, &theta5, 97, true, &poignetX, &poignetY, &poignetZ,
            &poignetTheta, 98);
    r.push_back(rollout("Etat a atteindre : ", true));
    groupes("'", &cibleTheta1, &cibleTheta2, &cibleTheta3, &cibleTheta5, 94, false, &ciblePoignetX,
            &ciblePoignetY, &ciblePoignetZ, &ciblePoignetTheta, 95);
    r.push_back(caseACocher("Deplacement rectiligne", &deplacementRectiligne, 106));
    {
        Controle b;
        b.genre = GenreControle::Bouton;
        b.libelle = "Atteint";
        b.id = 104;
        b.niveau = 1;
        r.push_back(b);
        Controle col;
        col.genre = GenreControle::Colonne;
        col.niveau = 1;
        r.push_back(col);
        b.libelle = "SAISIS";  // the label shown is libelleSaisie
        b.id = 103;
        r.push_back(b);
    }

    auto& o = panneauOptions;
    o.push_back(rollout("Option d'affichage"));
    {
        Controle g;
        g.genre = GenreControle::Groupe;
        g.libelle = "Mode";
        g.niveau = 1;
        o.push_back(g);
    }
    struct {
        const char* libelle;
        int* v;
        int id;
    } cases[] = {{"Eclairage", &eclairage, 208},        {"Texturage", &texturage, 209},
                 {"Bilineaire", &bilineaire, 206},      {"Backface Culling", &backfaceCulling, 203},
                 {"Antialiasing", &antialiasing, 204},  {"Dithering", &dithering, 205},
                 {"Smooth shading", &smoothShading, 207}, {"Transparence", &transparence, 201},
                 {"Boites englobantes", &boitesEnglobantes, 213}, {"Ombrage", &ombrage, 214},
                 {"Afficher sol", &afficherSol, 215},   {"Afficher lumieres", &afficherLumieres, 216},
                 {"Lumiere tournante", &lumiereTournante, 217}};
    for (auto& c : cases) o.push_back(caseACocher(c.libelle, c.v, c.id, 2));
    for (auto [l, c, s] : {std::tuple{"Grille X", &grilleX, &grillePosX}, {"Grille Y", &grilleY, &grillePosY},
                           {"Grille Z", &grilleZ, &grillePosZ}}) {
        o.push_back(caseACocher(l, c, 202, 2));
        o.push_back(spinner(l, s, 202, 2));
    }
    {
        Controle g;
        g.genre = GenreControle::Groupe;
        g.libelle = "Affichage";
        g.niveau = 1;
        o.push_back(g);
        Controle radio;
        radio.genre = GenreControle::Radio;
        radio.entier = &modeAffichage;
        radio.id = 210;
        radio.niveau = 2;
        radio.centre = true;
        radio.options = {"Sommets seuls", "Fil de fer", "Normal"};
        o.push_back(radio);
        g.libelle = "Couleur de fond";
        o.push_back(g);
        for (auto [l, v] : {std::pair{"R :", &fondR}, {"G :", &fondG}, {"B :", &fondB}}) {
            Controle c = spinner(l, v, 211, 2);
            c.limite = Limite::Borne;
            c.min = 0;
            c.max = 255;
            o.push_back(c);
        }
    }
    {
        Controle b;
        b.genre = GenreControle::Bouton;
        b.libelle = "Quitter";
        b.id = 0;
        b.niveau = 1;
        o.push_back(b);
    }
}

Controle* Panneau::controleDe(const void* variable) {
    for (auto* liste : {&panneauRobot, &panneauOptions})
        for (auto& c : *liste)
            if ((c.entier && c.entier == variable) || (c.reel && c.reel == variable)) return &c;
    return nullptr;
}

Controle* Panneau::spinnerGrille(int axe) {
    const int* v = axe == 0 ? &grillePosX : (axe == 1 ? &grillePosY : &grillePosZ);
    for (auto& c : panneauOptions)
        if (c.entier == v && c.genre == GenreControle::SpinnerEntier) return &c;
    return nullptr;
}

// ---- the application's panel operations ----

void CApplication::majGrilles() {
    const int cases[3] = {panneau.grilleX, panneau.grilleY, panneau.grilleZ};
    for (int axe = 0; axe < 3; ++axe) {
        Controle* s = panneau.spinnerGrille(axe);
        if (s) s->actif = cases[axe] != 0;
    }
}

void CApplication::majPanneauRobot() {
    Robot* r = robotCourant;
    if (!r) return;
    panneau.afficherReperes = r->reperes ? 1 : 0;
    panneau.collisionPrehenseur = r->collisionPince ? 1 : 0;
    r->lireCoordArticulaires(panneau.theta1, panneau.theta2, panneau.theta3, panneau.theta5);
    r->lireCoordPoignet(panneau.poignetX, panneau.poignetY, panneau.poignetZ, panneau.poignetTheta);
    panneau.libelleSaisie = r->objetTenu() ? "LACHE" : "SAISIS";
}

void CApplication::majPanneau() {
    panneau.fondR = static_cast<int>(couleurfond.r * 255);
    panneau.fondG = static_cast<int>(couleurfond.g * 255);
    panneau.fondB = static_cast<int>(couleurfond.b * 255);
    panneau.antialiasing = antialiasing;
    panneau.bilineaire = bilinear;
    panneau.eclairage = eclairage;
    panneau.grilleX = grilleX;
    panneau.grilleY = grilleY;
    panneau.grilleZ = grilleZ;
    panneau.grillePosX = static_cast<int>(grillePos.x);
    panneau.grillePosY = static_cast<int>(grillePos.y);
    panneau.grillePosZ = static_cast<int>(grillePos.z);
    panneau.modeAffichage = points_seuls ? 0 : (filaire ? 1 : 2);
    panneau.texturage = texturage;
    panneau.smoothShading = smoothshading;
    panneau.backfaceCulling = backface_culling;
    panneau.dithering = dithering;
    panneau.transparence = selection_surlignee;
    panneau.boitesEnglobantes = boite_englobante;
    panneau.ombrage = ombrage;
    panneau.afficherSol = afficher_sol;
    panneau.afficherLumieres = afficher_lumieres;
    panneau.lumiereTournante = rotation_lumiere;
    majPanneauRobot();
    majGrilles();
    controle(94);
    panneau.ciblePoignetValide[0] = panneau.ciblePoignetX;
    panneau.ciblePoignetValide[1] = panneau.ciblePoignetY;
    panneau.ciblePoignetValide[2] = panneau.ciblePoignetZ;
    panneau.ciblePoignetThetaValide = panneau.ciblePoignetTheta;
}

void CApplication::controle(int id) {
    Panneau& p = panneau;
    Robot* r = robotCourant;
    switch (id) {
        case 94: {
            if (!r) return;
            float x, y, z, t;
            CMatrice m;
            if (r->MGD(static_cast<float>(p.cibleTheta1), static_cast<float>(p.cibleTheta2),
                       static_cast<float>(p.cibleTheta3), static_cast<float>(p.cibleTheta5), x, y, z, t, m) &&
                r->positionAccessible(x, y, z, t)) {
                p.ciblePoignetX = std::trunc(x);
                p.ciblePoignetY = std::trunc(y);
                p.ciblePoignetZ = std::trunc(z);
                p.ciblePoignetTheta = static_cast<int>(t);
                p.cibleArticulaireValide[0] = p.cibleTheta1;
                p.cibleArticulaireValide[1] = p.cibleTheta2;
                p.cibleArticulaireValide[2] = p.cibleTheta3;
                p.cibleArticulaireValide[3] = p.cibleTheta5;
            } else {
                p.cibleTheta1 = p.cibleArticulaireValide[0];
                p.cibleTheta2 = p.cibleArticulaireValide[1];
                p.cibleTheta3 = p.cibleArticulaireValide[2];
                p.cibleTheta5 = p.cibleArticulaireValide[3];
            }
            return;
        }
        case 95: {
            if (!r) return;
            float t1, t2, t3, t5;
            if (r->MGI(p.ciblePoignetX, p.ciblePoignetY, p.ciblePoignetZ,
                       static_cast<float>(p.ciblePoignetTheta), t1, t2, t3, t5) &&
                Robot::verifieLimites(t1, t2, t3, t5)) {
                p.cibleTheta1 = static_cast<int>(t1);
                p.cibleTheta2 = static_cast<int>(t2);
                p.cibleTheta3 = static_cast<int>(t3);
                p.cibleTheta5 = static_cast<int>(t5);
                p.ciblePoignetValide[0] = p.ciblePoignetX;
                p.ciblePoignetValide[1] = p.ciblePoignetY;
                p.ciblePoignetValide[2] = p.ciblePoignetZ;
                p.ciblePoignetThetaValide = p.ciblePoignetTheta;
            } else {
                p.ciblePoignetX = p.ciblePoignetValide[0];
                p.ciblePoignetY = p.ciblePoignetValide[1];
                p.ciblePoignetZ = p.ciblePoignetValide[2];
                p.ciblePoignetTheta = p.ciblePoignetThetaValide;
            }
            return;
        }
        case 97:
            if (!r) return;
            if (r->setCoordArticulaires(static_cast<float>(p.theta1), static_cast<float>(p.theta2),
                                        static_cast<float>(p.theta3), static_cast<float>(p.theta5)))
                r->lireCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, p.poignetTheta);
            else
                r->lireCoordArticulaires(p.theta1, p.theta2, p.theta3, p.theta5);
            return;
        case 98:
            if (!r) return;
            if (r->setCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, static_cast<float>(p.poignetTheta)))
                r->lireCoordArticulaires(p.theta1, p.theta2, p.theta3, p.theta5);
            else
                r->lireCoordPoignet(p.poignetX, p.poignetY, p.poignetZ, p.poignetTheta);
            return;
        case 103:
            if (p.libelleSaisie == "SAISIS") {
                if (r && r->chercheObjet(instanceRobotCourant)) p.libelleSaisie = "LACHE";
            } else {
                if (r) r->lache();
                p.libelleSaisie = "SAISIS";
            }
            return;
        case 104: {
            if (!r) return;
            Commande c;
            c.instanceRobot = instanceRobotCourant;
            c.rectiligne = p.deplacementRectiligne == 1;
            c.T1 = static_cast<float>(p.cibleTheta1);
            c.T2 = static_cast<float>(p.cibleTheta2);
            c.T3 = static_cast<float>(p.cibleTheta3);
            c.T5 = static_cast<float>(p.cibleTheta5);
            c.X = p.ciblePoignetX;
            c.Y = p.ciblePoignetY;
            c.Z = p.ciblePoignetZ;
            c.THETA = static_cast<float>(p.ciblePoignetTheta);
            r->ajouteCommande(c);
            return;
        }
        case 201: selection_surlignee = p.transparence == 1; return;
        case 202:
            grilleX = p.grilleX == 1;
            grilleY = p.grilleY == 1;
            grilleZ = p.grilleZ == 1;
            grillePos = CVecteur(static_cast<float>(p.grillePosX), static_cast<float>(p.grillePosY),
                                 static_cast<float>(p.grillePosZ));
            majGrilles();
            return;
        case 203: setBackfaceCulling(p.backfaceCulling == 1); return;
        case 204: setAntialiasing(p.antialiasing == 1); return;
        case 205: setDithering(p.dithering == 1); return;
        case 206: bilinear = p.bilineaire == 1; return;
        case 207: setSmoothShading(p.smoothShading == 1); return;
        case 208: eclairage = p.eclairage == 1; return;
        case 209: texturage = p.texturage == 1; return;
        case 210:
            if (p.modeAffichage == 0) {
                filaire = false;
                points_seuls = true;
            } else if (p.modeAffichage == 1) {
                filaire = true;
                points_seuls = false;
            } else if (p.modeAffichage == 2) {
                filaire = points_seuls = false;
            }
            return;
        case 211:
            // The window has no alpha buffer: the previous alpha is kept.
            couleurfond = RGBA(p.fondR / 255.0f, p.fondG / 255.0f, p.fondB / 255.0f, couleurfond.a);
            return;
        case 212: if (r) r->reperes = p.afficherReperes == 1; return;
        case 213: boite_englobante = p.boitesEnglobantes == 1; return;
        case 214: ombrage = p.ombrage == 1; return;
        case 215: afficher_sol = p.afficherSol == 1; return;
        case 216: afficher_lumieres = p.afficherLumieres == 1; return;
        case 217: rotation_lumiere = p.lumiereTournante == 1; return;
        case 218: if (r) r->collisionPince = p.collisionPrehenseur == 1; return;
        default: return;
    }
}
