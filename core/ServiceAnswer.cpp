#include "core/ServiceAnswer.h"

#include "platform/foundation/LinePrinter.h"

void printTransportError(const platform::net::URLError& error) {
    platform::foundation::print("Error: Optional(" + error.description() + ")");
}
