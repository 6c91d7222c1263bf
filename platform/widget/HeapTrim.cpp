#include "platform/widget/HeapTrim.h"

#include <malloc.h>

namespace platform::widget {

bool releaseFreeHeap() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    malloc_trim(0);
    return true;
#endif
}

void HeapTrim::refreshed() {
    auto fire = [](gpointer data) -> gboolean {
        static_cast<HeapTrim*>(data)->pending_.forget();
        releaseFreeHeap();
        return G_SOURCE_REMOVE;
    };
    pending_ = SourceId(g_timeout_add(static_cast<guint>(delay_.count()), fire, this));
}

} // namespace platform::widget
