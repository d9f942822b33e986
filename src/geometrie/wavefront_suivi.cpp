// The thread that follows the Wavefront reader.
#include "geometrie/wavefront_suivi.h"

#include <utility>

namespace lectureWf {
namespace detail {

SuiviFaces::SuiviFaces(std::function<void(size_t, size_t)> travail) : travail_(std::move(travail)) {
    fil_ = std::thread([this] { suit(); });
}

SuiviFaces::~SuiviFaces() {
    {
        std::lock_guard<std::mutex> verrou(mutex_);
        fin_ = true;
    }
    pret_.notify_one();
    fil_.join();
}

void SuiviFaces::confie(size_t debut, size_t fin) {
    {
        std::lock_guard<std::mutex> verrou(mutex_);
        if (debut != confiees_) faites_ = debut;  // faces skipped, once attends returned
        confiees_ = fin;
    }
    pret_.notify_one();
}

void SuiviFaces::attends() {
    std::unique_lock<std::mutex> verrou(mutex_);
    fait_.wait(verrou, [this] { return faites_ == confiees_ || echec_; });
    if (echec_) std::rethrow_exception(std::exchange(echec_, nullptr));
}

void SuiviFaces::suit() {
    std::unique_lock<std::mutex> verrou(mutex_);
    for (;;) {
        pret_.wait(verrou, [this] { return confiees_ > faites_ || fin_; });
        if (fin_) return;
        const size_t debut = faites_, fin = confiees_;
        verrou.unlock();
        try {
            travail_(debut, fin);
        } catch (...) {
            verrou.lock();
            echec_ = std::current_exception();
            faites_ = confiees_;
            fait_.notify_one();
            return;
        }
        verrou.lock();
        faites_ = fin;
        if (faites_ == confiees_) fait_.notify_one();
    }
}

}  // namespace detail
}  // namespace lectureWf
