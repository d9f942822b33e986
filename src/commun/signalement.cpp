#include "commun/signalement.h"

#include <exception>

#include "commun/console.h"

bool SignaleurUneFois::signale(const std::string& message) {
    if (!vus_.insert(message).second) return false;
    console.erreur(message);
    return true;
}

std::string texteExceptionCourante(const std::string& prefixe, const std::string& inconnu) {
    try {
        throw;
    } catch (const std::exception& e) {
        return prefixe + e.what();
    } catch (const char* e) {
        return e ? prefixe + e : inconnu;
    } catch (...) {
        return inconnu;
    }
}

SignaleurUneFois& signaleurRappels() {
    static SignaleurUneFois signaleur;
    return signaleur;
}
