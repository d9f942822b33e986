// A second thread that follows the Wavefront reader: it gives the faces already read their
// normal and smoothing while the reader goes on with the next ones. Internal to the reader
// (wavefront_puits.h).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace lectureWf {
namespace detail {

class SuiviFaces {
public:
    // travail(debut, fin) runs on the other thread, for consecutive ranges, in order.
    explicit SuiviFaces(std::function<void(size_t, size_t)> travail);
    // The other thread is let go even if the reading throws.
    ~SuiviFaces();
    SuiviFaces(const SuiviFaces&) = delete;
    SuiviFaces& operator=(const SuiviFaces&) = delete;

    // The faces debut to fin - 1 are ready for the other thread: debut is where the previous
    // range ended, or anywhere after attends() (the faces in between are left alone).
    void confie(size_t debut, size_t fin);
    // Waits until the other thread is done with every face handed to it, and throws here
    // what stopped it. Until the next confie, the reader has the mesh to itself.
    void attends();

private:
    void suit();

    std::function<void(size_t, size_t)> travail_;
    std::mutex mutex_;
    std::condition_variable pret_, fait_;
    size_t confiees_ = 0, faites_ = 0;
    bool fin_ = false;
    std::exception_ptr echec_;
    std::thread fil_;
};

}  // namespace detail
}  // namespace lectureWf
