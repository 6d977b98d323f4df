#include "CupsLibrary.h"

#include <dlfcn.h>

namespace qv {

const CupsLibrary& CupsLibrary::get() {
    static const CupsLibrary library = [] {
        CupsLibrary found;
        void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return found;
        found.present = true;
#define QV_CUPS_FIND(name)                                                                         \
    found.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                        \
    if (!found.name && !found.missing)                                                             \
        found.missing = #name;
        QV_CUPS_FUNCTIONS(QV_CUPS_FIND)
#undef QV_CUPS_FIND
        return found;
    }();
    return library;
}

} // namespace qv
