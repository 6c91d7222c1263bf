#include "platform/widget/window/WaylandOutputNames.h"

#include "xdg-output-unstable-v1-client-protocol.h"

#include <cstring>
#include <gdk/gdkwayland.h>
#include <memory>
#include <vector>

namespace platform::widget {

namespace {

struct Lookup {
    zxdg_output_manager_v1* manager = nullptr;
};

void announced(void* data, wl_registry* registry, uint32_t name, const char* interface,
               uint32_t version) {
    // The name event came with version 2.
    if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && version >= 2) {
        static_cast<Lookup*>(data)->manager = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, 2));
    }
}

void withdrawn(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener registryListener{announced, withdrawn};

void ignorePosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
void ignoreDone(void*, zxdg_output_v1*) {}
void named(void* data, zxdg_output_v1*, const char* name) {
    *static_cast<std::string*>(data) = name;
}
void ignoreDescription(void*, zxdg_output_v1*, const char*) {}

constexpr zxdg_output_v1_listener outputListener{ignorePosition, ignorePosition, ignoreDone, named,
                                                 ignoreDescription};

} // namespace

std::map<GdkMonitor*, std::string> waylandOutputNames(GdkDisplay* display) {
    std::map<GdkMonitor*, std::string> names;
    if (!GDK_IS_WAYLAND_DISPLAY(display)) {
        return names;
    }
    wl_display* wayland = gdk_wayland_display_get_wl_display(display);
    // A queue of our own: GTK's events are not dispatched from here.
    std::unique_ptr<wl_event_queue, void (*)(wl_event_queue*)> queue(
        wl_display_create_queue(wayland), wl_event_queue_destroy);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(wayland));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue.get());
    wl_registry* registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    Lookup lookup;
    wl_registry_add_listener(registry, &registryListener, &lookup);
    wl_display_roundtrip_queue(wayland, queue.get());
    if (lookup.manager) {
        const int count = gdk_display_get_n_monitors(display);
        std::vector<std::string> found(static_cast<std::size_t>(count));
        std::vector<zxdg_output_v1*> outputs;
        for (int i = 0; i < count; ++i) {
            GdkMonitor* monitor = gdk_display_get_monitor(display, i);
            wl_output* output = gdk_wayland_monitor_get_wl_output(monitor);
            if (!output) {
                continue;
            }
            auto* xdg = zxdg_output_manager_v1_get_xdg_output(lookup.manager, output);
            zxdg_output_v1_add_listener(xdg, &outputListener, &found[static_cast<std::size_t>(i)]);
            outputs.push_back(xdg);
        }
        wl_display_roundtrip_queue(wayland, queue.get());
        for (auto* xdg : outputs) {
            zxdg_output_v1_destroy(xdg);
        }
        zxdg_output_manager_v1_destroy(lookup.manager);
        for (int i = 0; i < count; ++i) {
            names[gdk_display_get_monitor(display, i)] = found[static_cast<std::size_t>(i)];
        }
    }
    wl_registry_destroy(registry);
    return names;
}

} // namespace platform::widget
