// The runtime's end-to-end tests' application: a lamp, 40 × 30, that turns from blue to red once
// its window appears ("appeared") unless TINY_APP_STILL is set; with TINY_APP_BUTTON, a button
// that prints "clicked" and toggles it.
#include "platform/app/AppMain.h"
#include "platform/app/ObservedObject.h"
#include "platform/combine/Published.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/LinePrinter.h"
#include "platform/ui/Button.h"
#include "platform/ui/Stack.h"

#include <cstdlib>

using namespace platform::ui;
using platform::app::ObservedObject;

namespace {

struct Lamp : platform::combine::ObservableObject {
    platform::combine::Published<bool> lit{*this, false};
};

struct LampView {
    ObservedObject<Lamp> lamp{std::make_shared<Lamp>()};

    View body() const {
        View light = View(lamp->lit ? Color::red : Color::blue).frame(40, 30);
        if (std::getenv("TINY_APP_BUTTON")) {
            light = Button(
                [lamp = lamp.object()] {
                    platform::foundation::print("clicked");
                    lamp->lit = !lamp->lit;
                },
                light);
        }
        return VStack{light}.onAppear([lamp = lamp.object()] {
            platform::foundation::print("appeared");
            if (!std::getenv("TINY_APP_STILL")) {
                // As an answer from another thread would: a block on the main queue.
                platform::dispatch::DispatchQueue::main().async([lamp] { lamp->lit = true; });
            }
        });
    }
};

struct TinyApp {
    platform::app::Scene body() const {
        return platform::app::WindowGroup([] { return LampView(); });
    }
};

} // namespace

int main(int argc, char** argv) {
    return platform::app::main<TinyApp>(argc, argv);
}
