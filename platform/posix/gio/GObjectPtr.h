#pragma once

#include <glib-object.h>

#include <memory>

// Owning pointers for what GLib hands over: objects drop their reference,
// strings and lists are freed.
struct CObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using TObjectPtr = std::unique_ptr<T, CObjectUnref>;

struct CGFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using TGString = std::unique_ptr<char, CGFree>;
