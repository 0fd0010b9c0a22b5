#pragma once

#include <memory>

namespace brodix {

// Hands an object of a C library back through the function the library names for it, so that
// a std::unique_ptr owns it and no path, a thrown exception included, forgets it.
template <auto Release>
struct Deleter {
    template <class T>
    void operator()(T* object) const {
        Release(object);
    }
};

// For example Owned<cairo_surface_t, cairo_surface_destroy>.
template <class T, auto Release>
using Owned = std::unique_ptr<T, Deleter<Release>>;

}  // namespace brodix
