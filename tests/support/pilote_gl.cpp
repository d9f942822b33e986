// Keeps the OpenGL driver mapped until the process ends. Mesa unloads its DRI driver when
// the X display closes at exit, before LeakSanitizer looks for leaks: the driver's own
// leaks would then be reported from an unknown module, which no suppression can name.
// Marked as never to be unloaded, the driver stays known and tests/lsan.supp can name it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>

namespace {

int marqueSiPilote(struct dl_phdr_info* info, size_t, void*) {
    const char* nom = info->dlpi_name;
    if (nom && (std::strstr(nom, "/dri/") || std::strstr(nom, "libgallium")))
        dlopen(nom, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);  // only raises a flag
    return 0;
}

// After the last test, while the driver of any window a test opened is still loaded.
class PiloteGLGarde : public ::testing::Environment {
public:
    void TearDown() override { dl_iterate_phdr(marqueSiPilote, nullptr); }
};

::testing::Environment* const garde = ::testing::AddGlobalTestEnvironment(new PiloteGLGarde);

}  // namespace
